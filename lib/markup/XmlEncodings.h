#pragma once

#include <QByteArray>
#include <QStringView>

// The table of encoding names and aliases with their Windows code pages.

// Code page of an encoding name (case-insensitive), 0 when the name is not in the table.
int XmlEncodingCodePage(QStringView name);

// The iconv name that converts a code page, empty when none is known.
QByteArray XmlCodePageIconvName(int codePage);

// Code pages the file reader and writer treat themselves rather than through iconv.
constexpr int kCodePageUtf8 = 65001;
constexpr int kCodePageUtf16Le = 1200;
constexpr int kCodePageUtf16Be = 1201;
