#pragma once

#include "app/core/RouteTypes.h"

#include <QString>

// The stake export options file "RoadExport.cfg" in the configuration folder.

// Reads the file over `options`; values missing from the file (or the whole file) keep theirs.
void ReadExportOptions(const QString& configDir, ExportOptions& options);

// Saves the options. The interval and the offset are stored as decimal numbers to the micrometre
// (whole metres without decimals, as earlier versions wrote every value). False when the file
// cannot be written.
bool SaveExportOptions(const QString& configDir, const ExportOptions& options);

// The export dialog's OK: refuses an interval that is not positive (message "间隔输入错误，请重新
// 输入！") and otherwise saves the options. True when the dialog may close.
bool AcceptExportOptions(const QString& configDir, const ExportOptions& options);

QString ExportOptionsPath(const QString& configDir);
