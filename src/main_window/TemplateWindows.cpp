#include "main_window/TemplateWindows.h"

#include <QSet>

#include "editors/frmFilesAndDirectories.h"
#include "editors/frmLanAdd.h"
#include "editors/frmSettings.h"
#include "editors/frmTimeStampSettings.h"
#include "editors/frmWizard.h"
#include "engine/frmProcessing.h"
#include "ftp/frmAddFTP.h"
#include "ftp/frmFTPBrowse.h"
#include "ftp/frmFTPNewFolder.h"
#include "localisation/LocalizationTemplate.h"
#include "mail/frmEmailAdd.h"
#include "mail/frmSck.h"
#include "main_window/Form8.h"
#include "main_window/frmAbout.h"
#include "main_window/frmPrefs2.h"
#include "main_window/frmWebsite.h"
#include "platform/Form.h"
#include "restore/frmDecrypt.h"
#include "restore/frmExtract.h"
#include "restore/frmRestoreToNew.h"
#include "restore/frmRestoring.h"
#include "restore/frmWarning.h"

namespace main_window
{

std::vector<std::unique_ptr<QWidget>> LoadAllForms()
{
    std::vector<std::unique_ptr<QWidget>> windows;
    windows.emplace_back(new Form8);
    windows.emplace_back(new frmAbout);
    windows.emplace_back(new ftp::frmAddFTP);
    windows.emplace_back(new restore::frmDecrypt);
    windows.emplace_back(new mail::frmEmailAdd);
    windows.emplace_back(new restore::frmExtract);
    windows.emplace_back(new editors::frmFilesAndDirectories);
    windows.emplace_back(new ftp::frmFTPBrowse);
    windows.emplace_back(new ftp::frmFTPNewFolder);
    windows.emplace_back(new editors::frmLanAdd);
    windows.emplace_back(new frmPrefs2);
    windows.emplace_back(new engine::frmProcessing);
    windows.emplace_back(new restore::frmRestoreToNew);
    windows.emplace_back(new restore::frmRestoring);
    windows.emplace_back(new mail::frmSck);
    windows.emplace_back(new editors::frmSettings);
    windows.emplace_back(new editors::frmTimeStampSettings);
    windows.emplace_back(new restore::frmWarning);
    windows.emplace_back(new frmWebsite);
    windows.emplace_back(new editors::frmWizard);
    return windows;
}

platform::Result writeLocalizationTemplate()
{
    // Open windows are read as they stand; a window already open is not listed twice.
    QList<QWidget*> windows = platform::loadedWindows();
    QSet<QString> names;
    for (QWidget* window : windows)
        names.insert(window->objectName());
    const std::vector<std::unique_ptr<QWidget>> fresh = LoadAllForms();
    for (const auto& window : fresh)
        if (!names.contains(window->objectName()))
            windows.append(window.get());
    const QString failure = localisation::makeLocalizationFile(windows);
    return failure.isEmpty() ? platform::Result::success() : platform::Result::failure(failure);
}

} // namespace main_window
