#include "core/ErrorReport.h"

#include <cmath>
#include <cstring>

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QStringList>
#include <QSysInfo>
#include <QtDebug>

#include "platform/Clock.h"
#include "platform/DateText.h"
#include "platform/VersionInfo.h"

namespace core
{
namespace
{
const QString kCrLf = QStringLiteral("\r\n");
const QString kReportSource = QStringLiteral("HuntERR.ErrorIn");
constexpr QChar kMark = QChar(8);

struct SavedError
{
    qint32 number = 0;
    QString source;
    QString description;
    QString helpFile;
    QString helpContext;
    qint32 line = 0;
    qint32 systemError = 0;
    bool preserved = false;
};

SavedError& saved()
{
    static SavedError error;
    return error;
}

QString signedDifference(qint64 value)
{
    return value >= 0 ? QStringLiteral("+ ") + QString::number(value) : QStringLiteral("- ") + QString::number(-value);
}

QString numberText(const QVariant& value)
{
    if (value.metaType().id() == QMetaType::Double || value.metaType().id() == QMetaType::Float) {
        const double d = value.toDouble();
        if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 1e15)
            return QString::number(static_cast<qint64>(d));
        return QString::number(d, 'G', 15);
    }
    return value.toString();
}

QString valueText(const QVariant& value)
{
    if (!value.isValid())
        return QStringLiteral("{Empty}");
    const QMetaType type = value.metaType();
    if (type.id() == QMetaType::Nullptr)
        return QStringLiteral("{Null}");
    if (type == QMetaType::fromType<OmittedArgument>())
        return QString();
    if (type.flags() & QMetaType::PointerToQObject) {
        const QObject* object = value.value<QObject*>();
        return QStringLiteral("{") + (object ? QString::fromLatin1(object->metaObject()->className()) : QStringLiteral("Nothing")) +
               QStringLiteral("}");
    }
    switch (type.id()) {
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
    case QMetaType::QByteArrayList:
        return QStringLiteral("{Array}");
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::UChar:
    case QMetaType::SChar:
    case QMetaType::Double:
    case QMetaType::Float:
        return numberText(value);
    case QMetaType::QDateTime:
        return QLatin1Char('\'') + platform::DateText::generalDate(value.toDateTime()) + QLatin1Char('\'');
    case QMetaType::QDate:
        return QLatin1Char('\'') + platform::DateText::shortDate(value.toDate()) + QLatin1Char('\'');
    case QMetaType::QString:
    case QMetaType::QChar:
        return QLatin1Char('\'') + value.toString() + QLatin1Char('\'');
    default:
        return QStringLiteral("{?}");
    }
}

// Lays out an XML text one element per line, two blanks per level.
QString xmlLayout(const QString& quoted)
{
    const QString inner = quoted.mid(1, quoted.size() - 2);
    const QStringList pieces = inner.split(QLatin1Char('<'));
    QString result = pieces.value(0);
    int level = 0;
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        const QString& piece = pieces.at(i);
        if (piece.startsWith(QLatin1Char('/')))
            --level;
        if (i > 1)
            result += kCrLf;
        result += QString(2 * qMax(level, 0), QLatin1Char(' ')) + QLatin1Char('<') + piece;
        if (!piece.startsWith(QLatin1Char('/')) && !piece.contains(QLatin1String("/>")))
            ++level;
    }
    return result;
}

QString formatArguments(const QString& argNames, const QVariantList& values, QString& valueBlock)
{
    const QVariantList list = values.isEmpty() ? QVariantList{QVariant::fromValue(OmittedArgument{})} : values;
    const QStringList names = argNames.split(QLatin1Char(','));
    QStringList shown;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QString name = i < names.size() ? names.at(i) : QString();
        QString text = valueText(list.at(i));
        if (text.contains(kCrLf) || text.size() > 40) {
            QString block = text;
            if (name.startsWith(QLatin1String("xml")) && text.startsWith(QLatin1String("'<")))
                block = xmlLayout(text);
            block = QStringLiteral("      ") + block.replace(kCrLf, kCrLf + QStringLiteral("      "));
            if (!valueBlock.isEmpty())
                valueBlock += kCrLf;
            valueBlock += QStringLiteral("    Value Of ") + name + QLatin1Char(':') + kCrLf + block;
            text = QStringLiteral("{Text}");
        }
        shown << (name.isEmpty() ? text : name + QLatin1Char('=') + text);
    }
    return shown.join(QStringLiteral(", "));
}

QString applicationName()
{
    if (QCoreApplication::instance()) {
        const QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
        if (!name.isEmpty())
            return name;
    }
    return QString::fromLatin1(platform::version::ProductName).toLower();
}

QString header(const QString& methodName)
{
    const SavedError& error = saved();
    QString text = QStringLiteral(
        "%Descr% %nl%  Time='%Time%' App='%App%:%Ver%' ADO-version='%ADOVersion%' Computer='%Comp%' %nl%  Method: "
        "%MethodName% %nl%  Number: %ErrNum% = &H%ErrHex% = vbObjectError %ErrNumRel1% = ERRMAP_APP_FIRST "
        "%ErrNumRel2% %ErrStd%%nl%  Source: %Source% %nl%  Description: %Descr%%nl%");
    text.replace(QLatin1Char('%'), kMark);

    const QString sep = platform::DateText::dateSeparator();
    const QDateTime now = platform::clock().now();
    const QString time = now.toString(QStringLiteral("MM'%1'dd'%1'yy HH:mm:ss").arg(sep));
    const QString version = QStringLiteral("%1.%2.%3")
                                .arg(platform::version::Major)
                                .arg(platform::version::Minor)
                                .arg(platform::version::Revision);

    const std::pair<const char*, QString> values[] = {
        {"nl", kCrLf},
        {"MethodName", methodName},
        {"Comp", QSysInfo::machineHostName()},
        {"Time", time},
        {"App", applicationName()},
        {"Ver", version},
        {"ADOVersion", QStringLiteral("?")},
        {"ErrNum", QString::number(error.number)},
        {"ErrHex", QString::number(static_cast<quint32>(error.number), 16).toUpper()},
        {"ErrNumRel1", signedDifference(static_cast<qint64>(error.number) - err::ObjectErrorBase)},
        {"ErrNumRel2", signedDifference(static_cast<qint64>(error.number) - err::General)},
        {"ErrStd", error.number == err::General ? QStringLiteral("= ERR_GENERAL") : QString()},
        {"Source", error.source},
        {"Descr", error.description},
    };
    for (const auto& [name, value] : values)
        text.replace(kMark + QString::fromLatin1(name) + kMark, value);
    text.replace(kMark, QLatin1Char('%'));
    return text;
}

QString systemErrorText(qint32 code)
{
    QString text = QString::fromLocal8Bit(std::strerror(code));
    text.remove(kCrLf);
    text.remove(QChar(0));
    return text;
}

QString callStackLine(const QString& methodName, const QString& arguments)
{
    QString line = QStringLiteral("  Call Stack: ") + methodName + QLatin1Char('(') + arguments + QLatin1Char(')');
    if (saved().line != 0)
        line += QStringLiteral("  at Line ") + QString::number(saved().line);
    line += QLatin1Char(' ');
    if (line.size() < 100)
        line = line.leftJustified(100, QLatin1Char('-'));
    return line;
}
} // namespace

void ErrObject::Raise(qint32 number, const QString& description, const QString& source)
{
    Clear();
    Number = number;
    Description = description;
    Source = source.isEmpty() ? QString::fromLatin1(platform::version::ProductName) : source;
}

ErrObject& Err()
{
    static ErrObject object;
    return object;
}

void ErrPreserve()
{
    ErrObject& current = Err();
    SavedError& error = saved();
    if (current.Number == 0 || error.preserved)
        return;
    error.number = current.Number;
    error.description = current.Description;
    error.source = current.Source;
    error.helpFile = current.HelpFile;
    error.helpContext = QString::number(current.HelpContext);
    error.line = current.Erl;
    error.systemError = current.LastDllError;
    error.preserved = true;
}

void ErrRestore()
{
    const SavedError& error = saved();
    if (!error.preserved)
        return;
    ErrObject& current = Err();
    current.Clear();
    current.Number = error.number;
    current.Source = error.source;
    current.Description = error.description;
    if (!error.helpContext.isEmpty())
        current.HelpContext = error.helpContext.toInt();
    current.HelpFile = error.helpFile;
}

bool AskStopOnError()
{
    ErrPreserve();
    return false;
}

QString ErrorIn(const QString& location, const QVariantList& argValues, qint32 options)
{
    ErrObject& current = Err();
    SavedError& error = saved();
    if (current.Number == 0 && !error.preserved) {
        current.Number = err::General;
        current.Description = QStringLiteral("ErrorIn: Error information was lost. ") +
                              QStringLiteral("To fix: call ErrPreserve before doing anything in error handler.");
    }
    ErrPreserve();

    QString report;
    const bool silent = error.number >= err::SilentFirst && error.number <= err::SilentLast;
    if (!silent && (options & 2)) {
        const qsizetype paren = location.indexOf(QLatin1Char('('));
        const QString methodName = paren < 0 ? location : location.left(paren);
        const QString argNames = paren < 0 ? QString() : location.mid(paren + 1).chopped(1);

        if (error.source == kReportSource) {
            report = error.description;
        } else {
            report = header(methodName) + kCrLf;
            if (error.systemError != 0 && error.systemError != 203) {
                report += QStringLiteral("  API Error: (") + QString::number(error.systemError) + QStringLiteral(") ") +
                          systemErrorText(error.systemError) + kCrLf;
            }
        }
        QString valueBlock;
        const QString arguments = formatArguments(argNames, argValues, valueBlock);
        report += callStackLine(methodName, arguments) + kCrLf;
        if (!valueBlock.isEmpty())
            report += valueBlock + kCrLf;

        error.source = kReportSource;
        error.description = report;
    }

    ErrRestore();
    error.preserved = false;
    if (!report.isEmpty())
        qWarning().noquote() << report;
    return report;
}

QString reportFailure(const QString& location, const QVariantList& argValues, qint32 number,
                      const QString& description, qint32 systemError)
{
    Err().Raise(number, description);
    Err().LastDllError = systemError;
    return ErrorIn(location, argValues);
}

void resetErrors()
{
    Err().Clear();
    saved() = SavedError{};
}

} // namespace core
