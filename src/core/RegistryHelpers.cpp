#include "core/RegistryHelpers.h"

#include <cmath>
#include <limits>
#include <optional>

#include <QtDebug>

#include "core/ProgramState.h"
#include "platform/Autostart.h"
#include "platform/Registry.h"
#include "platform/VersionInfo.h"

namespace core
{
namespace
{
QString productName()
{
    return QString::fromUtf8(platform::version::ProductName);
}

std::optional<bool> toFlag(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double number = trimmed.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return number != 0;
}

// Rounds half to even, as the runtime's integer conversion does.
std::optional<qint16> toInteger(const QString& text)
{
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    if (!ok)
        return std::nullopt;
    const double rounded = std::nearbyint(number);
    if (rounded < std::numeric_limits<qint16>::min() || rounded > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(rounded);
}
} // namespace

QString RegGetKey(qint32 lngRootKey, const QString& strRegKeyPath, const QString& strRegSubKey)
{
    const std::optional<platform::RegistryRoot> root = platform::registryRoot(lngRootKey);
    if (!root)
        return QString();
    platform::RegistryKey key;
    if (platform::RegistryKey::open(*root, strRegKeyPath, &key) != platform::regerr::Success)
        return QString();
    QString value;
    if (key.queryValue(strRegSubKey, &value) != platform::regerr::Success)
        return QString();
    const qsizetype nul = value.indexOf(QChar(0));
    return nul < 0 ? value : value.left(nul);
}

QString DefaultNotificationBody()
{
    return QStringLiteral("======") + productName() + QStringLiteral("Notification ======") + QStringLiteral("\r\n")
        + QStringLiteral("This message has been sent to you automatically by") + productName()
        + QStringLiteral("because an operation on ")
        + QStringLiteral("the Backup Set $ITEMNAME$ has started at $RUNTIME$ and finished with status $LASTRESULT$.");
}

void LoadNotificationSettings()
{
    const QString path = QStringLiteral("Software\\") + QString::fromUtf8(platform::version::CompanyName)
        + QLatin1Char('\\') + productName() + QStringLiteral("\\Settings");
    NotificationSettingsInfo& settings = state().NotificationSettings;

    // An empty or missing value gives the default when there is one; so does a value that does not
    // convert, which must not stop the start-up.
    auto text = [&](const char* name, QString& field, std::optional<QString> fallback = std::nullopt) {
        const QString value = RegGetKey(platform::HkeyCurrentUser, path, QString::fromLatin1(name));
        if (!value.isEmpty())
            field = value;
        else if (fallback)
            field = *fallback;
    };
    auto flag = [&](const char* name, bool& field) {
        const QString value = RegGetKey(platform::HkeyCurrentUser, path, QString::fromLatin1(name));
        if (value.isEmpty())
            return;
        if (const std::optional<bool> converted = toFlag(value))
            field = *converted;
        else
            qWarning().noquote() << QStringLiteral("The notification value %1 is not a flag: %2").arg(name, value);
    };
    auto integer
        = [&](const char* name, qint16& field, qint16 fallback) {
              const QString value = RegGetKey(platform::HkeyCurrentUser, path, QString::fromLatin1(name));
              std::optional<qint16> converted;
              if (!value.isEmpty()) {
                  converted = toInteger(value);
                  if (!converted)
                      qWarning().noquote()
                          << QStringLiteral("The notification value %1 is not a number: %2").arg(name, value);
              }
              field = converted.value_or(fallback);
          };

    flag("UseNotification", settings.UseNotification);
    text("NotificationFrom", settings.NotificationFrom);
    text("NotificationTo", settings.NotificationTo);
    text("NotificationSubject", settings.NotificationSubject, productName() + QStringLiteral(" Notification"));
    text("NotificationBody", settings.NotificationBody, DefaultNotificationBody());
    text("ClientMailID", settings.ClientMailID);
    text("SMTP_Server", settings.SMTP_Server);
    text("SMTPPort", settings.SMTPPort, QStringLiteral("25"));
    flag("smtpAuthenticate", settings.smtpAuthenticate);
    text("smtpUID", settings.smtpUID);
    text("smtpPWD", settings.smtpPWD);
    integer("smtpEncoding", settings.smtpEncoding, 0);
    integer("smtpPriority", settings.smtpPriority, 1);
}

bool AddRemove::AddToRun2(const QString& ProgramName, const QString& FileToRun)
{
    return platform::writeAutostartEntry(ProgramName, FileToRun);
}

bool AddRemove::RemoveFromRun2(const QString& ProgramName)
{
    return platform::removeAutostartEntry(ProgramName);
}

} // namespace core
