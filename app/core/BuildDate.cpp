#include "app/core/BuildDate.h"

QString BuildDateText(const QString& date)
{
    if (date.size() <= 10) return QString();
    int month = 1;
    switch (date.at(2).toLatin1())
    {
    case 'b': month = 2; break;
    case 'c': month = 12; break;
    case 'g': month = 8; break;
    case 'l': month = 7; break;
    case 'n': month = date.at(1) == QLatin1Char('a') ? 1 : 6; break;
    case 'p': month = 9; break;
    case 'r': month = date.at(0) == QLatin1Char('M') ? 3 : 4; break;
    case 't': month = 10; break;
    case 'v': month = 11; break;
    case 'y': month = 5; break;
    default: month = 1; break;
    }
    auto digit = [](QChar c) { return c.isDigit() ? c.digitValue() : 0; };
    const int day = digit(date.at(4)) * 10 + digit(date.at(5));
    const int year = date.mid(7, 4).toInt();
    return QString::asprintf("%d-%d-%d", year, month, day);
}
