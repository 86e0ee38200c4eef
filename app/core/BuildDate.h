#pragma once

#include <QString>

// A compiler date such as "Jul  5 2013" as "2013-7-5"; empty for text of 10 characters or fewer.
QString BuildDateText(const QString& compilerDate);
