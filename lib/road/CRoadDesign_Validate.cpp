#include "road/CRoadDesign.h"

#include "platform/MessageSink.h"
#include "platform/NumberText.h"
#include "road/RouteText.h"

int CRoadDesign::ValidateCalculate(const QString& path)
{
    QString input;
    if (path.isEmpty() || !ReadAnsiTextFile(path, input)) return 0;

    // Every line of the stake file is checked, however many there are: a report that silently
    // stopped part-way would look like a complete one.
    QString report;
    for (const QString& line : SplitTextLines(input))
    {
        if (line.size() < 5) continue;
        const QStringList fields = line.split(QLatin1Char(','));
        if (fields.size() < 5) continue;
        const double x = LeadingNumber(fields.at(1));
        const double y = LeadingNumber(fields.at(2));
        const double fileStation = LeadingNumber(fields.at(4));

        double station = 0.0;
        double offset = 0.0;
        if (GetPegAndOffset(x, y, station, offset, 0, 0.0))
        {
            report += line.leftJustified(80);
            report += QString::asprintf("--CalOK--Meliage:<%-10.4f-%-10.4f>=%10.4f--OffsetDistance:%10.4f,\r\n",
                                        station, fileStation, station - fileStation, offset);
        }
        else
        {
            report += line;
            report += QStringLiteral("--CalFailed,\r\n");
        }
    }

    if (!WriteAnsiTextFile(path + QStringLiteral("_Validate.txt"), report)) return 0;
    ShowMessage(QStringLiteral("Validate Calculate Finished!"), QString(), MessageKind::Information);
    return 1;
}
