#include "core/Settings.h"

#include <QtDebug>

#include "core/Ask.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "platform/Prompt.h"
#include "platform/Registry.h"
#include "platform/SettingsFile.h"
#include "platform/VersionInfo.h"

namespace core
{
namespace
{
const QString kSettings = QStringLiteral("Settings");
const QString kIgnorePermissionDenied = QStringLiteral("IgnorePermissionDeniedError");

QString productName()
{
    return QString::fromUtf8(platform::version::ProductName);
}

// Removes leading and trailing blanks only.
QString trimBlanks(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == QLatin1Char(' '))
        ++start;
    while (end > start && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(start, end - start);
}

QString machineKeyPath(const QString& appName, const QString& section)
{
    const QString company = trimBlanks(QString::fromUtf8(platform::version::CompanyName));
    return QStringLiteral("SOFTWARE\\") + company + QLatin1Char('\\') + trimBlanks(appName) + QLatin1Char('\\')
        + trimBlanks(section);
}

QString appGroup(const QString& appName, const QString& section)
{
    return appName + QLatin1Char('\\') + section;
}

qint32 writeMachineValue(const QString& path, const QString& key, const QString& value, QString& reason)
{
    platform::RegistryKey handle;
    qint32 rc = platform::RegistryKey::create(platform::RegistryRoot::LocalMachine, path, &handle, &reason);
    if (rc == platform::regerr::Success)
        rc = handle.setValue(key, value, &reason);
    return rc;
}

// A setting that was not saved is kept as it was; the log says why.
void logUnsaved(const QString& key, const QString& reason)
{
    LogEvent(QStringLiteral("The setting %1 was not saved: %2").arg(key, reason));
}

bool permissionNoticeSilenced()
{
    return state().ServiceMode || state().StartHidden
        || GetSetting(productName(), kSettings, kIgnorePermissionDenied, QStringLiteral("0")) == QLatin1String("1");
}
} // namespace

QString PermissionDeniedText()
{
    const QString file = platform::settingsFilePath(platform::SettingsStore::Machine);
    return productName() + QStringLiteral(" requires read/write access to its settings file \"") + file
        + QStringLiteral("\" and its folder, and to the hard drive, in order to run properly.  This user account does "
                         "not have the proper permissions set.  As a result some or all of your settings may not be "
                         "properly saved.  Please contact your system administrator or change the permissions of "
                         "that file and folder for this account.")
        + QStringLiteral("\r\n\r\n")
        + QStringLiteral("If you would like to prevent this error message from being displayed again, please press "
                         "'Ignore'.");
}

std::optional<QString> ReadSetting(const QString& AppName, const QString& Section, const QString& Key,
                                   const QString& Default)
{
    if (trimBlanks(AppName).isEmpty()) {
        Err().Raise(err::SettingAppNameEmpty, QStringLiteral("AppName may not be empty"));
        return std::nullopt;
    }
    if (trimBlanks(Section).isEmpty()) {
        Err().Raise(err::SettingSectionEmpty, QStringLiteral("Section may not be empty"));
        return std::nullopt;
    }
    if (trimBlanks(Key).isEmpty()) {
        Err().Raise(err::SettingKeyEmpty, QStringLiteral("Key may not be empty"));
        return std::nullopt;
    }

    platform::RegistryKey handle;
    const qint32 rc
        = platform::RegistryKey::open(platform::RegistryRoot::LocalMachine, machineKeyPath(AppName, Section), &handle);
    if (rc == platform::regerr::FileNotFound)
        return Default;
    if (rc != platform::regerr::Success) {
        Err().Raise(err::SettingOpenBase + rc, QStringLiteral("Could not open registry section"));
        Err().LastDllError = rc;
        return std::nullopt;
    }
    QString value;
    if (handle.queryValue(Key, &value) != platform::regerr::Success)
        return Default;
    return value;
}

bool WriteSetting(const QString& AppName, const QString& Section, const QString& Key, const QString& Value)
{
    const QString path = machineKeyPath(AppName, Section);
    for (;;) {
        QString reason;
        const qint32 rc = writeMachineValue(path, Key, Value, reason);
        if (rc == platform::regerr::Success)
            return true;
        // A name or value the store cannot hold is no matter of permissions, and retrying cannot help.
        if (rc == platform::regerr::InvalidParameter) {
            qWarning().noquote() << QStringLiteral("The setting %1 was not saved: the store cannot hold it").arg(Key);
            return false;
        }
        logUnsaved(Key, reason);
        if (permissionNoticeSilenced())
            return false;

        platform::Message notice = programMessage(nullptr, PermissionDeniedText(), platform::Icon::None,
                                                  platform::Buttons::AbortRetryIgnore);
        notice.title = QStringLiteral("Permission Denied");
        // Nobody to ask: do not silence the notice for good on the user's behalf.
        notice.unattendedAnswer = platform::Answer::Abort;
        switch (platform::prompt().show(notice)) {
        case platform::Answer::Retry:
            continue;
        case platform::Answer::Ignore:
            SaveSetting(productName(), kSettings, kIgnorePermissionDenied, QStringLiteral("1"));
            return false;
        default:
            return false;
        }
    }
}

QString GetSetting(const QString& AppName, const QString& Section, const QString& Key, const QString& Default)
{
    platform::SettingsFile file(platform::settingsFilePath(platform::SettingsStore::App));
    QString value;
    if (file.read(appGroup(AppName, Section), Key, &value) != platform::regerr::Success)
        return Default;
    return value;
}

bool SaveSetting(const QString& AppName, const QString& Section, const QString& Key, const QString& Value)
{
    platform::SettingsFile file(platform::settingsFilePath(platform::SettingsStore::App));
    if (file.write(appGroup(AppName, Section), Key, Value) == platform::regerr::Success)
        return true;
    logUnsaved(Key, file.errorString());
    return false;
}

QString ReadPreference(const QString& Key, const QString& Default)
{
    return ReadSetting(productName(), kSettings, Key, Default).value_or(Default);
}

bool WritePreference(const QString& Key, const QString& Value)
{
    return WriteSetting(productName(), kSettings, Key, Value);
}

QString GetUserPreference(const QString& Key, const QString& Default)
{
    return GetSetting(productName(), kSettings, Key, Default);
}

bool SaveUserPreference(const QString& Key, const QString& Value)
{
    return SaveSetting(productName(), kSettings, Key, Value);
}

} // namespace core
