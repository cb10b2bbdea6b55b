#include "restore/RestoreSummary.h"

namespace restore
{

QStringList RestoreSummary::lines(bool withFailures) const
{
    QString head;
    if (cancelled)
        head = QStringLiteral("Restore cancelled.");
    else if (!error.isEmpty())
        head = QStringLiteral("Nothing was restored.");
    else if (hasProblems())
        head = QStringLiteral("Restore finished with problems.");
    else
        head = QStringLiteral("Done!");
    QString counts = QStringLiteral("Files restored: %1, skipped: %2, missing: %3, failed: %4")
                         .arg(restored)
                         .arg(skipped)
                         .arg(missing)
                         .arg(failed);
    if (cancelled)
        counts += QStringLiteral(", not restored: %1").arg(notRestored);
    QStringList shown {head, counts + QLatin1Char('.')};
    if (!error.isEmpty())
        shown << error;
    if (!missingList.isEmpty())
        shown << QStringLiteral("The following files could not be restored (file not found error):") << missingList;
    if (withFailures && !failedList.isEmpty())
        shown << QStringLiteral("The following files could not be restored:") << failedList;
    return shown;
}

QString RestoreSummary::statusText() const
{
    return lines(true).join(QStringLiteral("\r\n"));
}

} // namespace restore
