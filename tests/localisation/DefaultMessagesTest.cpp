#include "localisation/DefaultMessages.h"

#include <gtest/gtest.h>

#include "LocalisationTest.h"
#include "localisation/Languages.h"

using localisation::Languages;

namespace
{

struct Expected
{
    const char* key;
    const char* text;
};

// Written out independently of the program's own table, blanks and line breaks included.
const Expected Texts[] = {
    {"MSG_INVALID_NAME",
     "Please specify a non-empty, unique backup set name.\r\nThe name can not contain "
     "< > / \\ ? : * \" | or more than 237 bytes."},
    {"MSG_SPECIFY_FILES", "Please specify the files to be processed."},
    {"MSG_INVALID_LOCATION", "An empty, nonexistent or invalid location was specified."},
    {"MSG_ENTER_PASSWORD", "Please enter your password."},
    {"MSG_INVALID_PASSWORD", "Password and confirmation do not match."},
    {"MSG_INVALID_ZIP_FILE", "Please specify compressed archive name."},
    {"MSG_CONFIRM_DELETION", "Are you sure you want to delete the backup set \"<filename>\"?"},
    {"MSG_CONFIRM_RESTORE", "Are you sure you want to restore the backup set?"},
    {"MSG_INVALID_FOLDER_NAME",
     "Please specify a valid folder name.\r\nThe name should not contain "
     "< > / \\ ? : * \" | or more than 250 characters."},
    {"MSG_FTP_DATA_NOT_COMPLETED", "Please complete all the FTP fields"},
    {"MSG_EMAIL_DATA_NOT_COMPLETED", "Please complete all the Email Destination fields"},
    {"MSG_FOLDER_EXISTS",
     "This folder already contains a folder with the same name.\r\n\r\nIf the files in the existing folder have the "
     "same name as files in the folder you are moving, they will be replaced.\r\nDo you still want to restore the "
     "folder?"},
    {"MSG_OLDER_FILE",
     "You are trying to restore a file that is older than the source file.\r\n\r\nDo you want to "
     "overwrite the existing file?"},
    {"MSG_DESTINATIONS_NOT_DEFINED", "Please add at least one destination."},
    {"MSG_SMTPSETTINGS_NOT_DEFINED", "Please complete all necessary details."},
    {"MSG_SURE1", "Are you sure you want to backup all items now?"},
    {"MSG_SURE2", "They will be scheduled to begin immediately.  Large backups could take a long time to complete"},
    {"MSG_SURE3", "Really start all backups now?"},
    {"MSG_LOGGING", "Log file does not exist.  Would you like to turn logging on now?"},
    {"MSG_REALLY_EXIT", "Are you sure, you want to exit this program?"},
    {"MSG_DIRECTORY", "Please specify a valid directory name."},
    {"MSG_SMTP1", "SMTP email settings have not been entered yet."},
    {"MSG_SMTP2", "Please enter email details before using this type of destination"},
    {"MSG_DUPE1", "The item you are trying to add would create a duplicate backup item."},
    {"MSG_DUPE2",
     "If you have already added a file there is no need to add it twice, and if you have added a folder "
     "you should not add subfolders or files of that folder."},
    {"MSG_DUPE3", "The most recent file or folder has not been added."},
    {"MSG_RESTORE", "Please select a version to restore"},
    {"MSG_PAUSED", "Paused.  Click OK to continue."},
    {"MSG_EMAIL", "You must fill out email server preferences before sending mail."},
    {"MSG_BROWSE", " - Browse for folder..."},
    {"MSG_SIZE", "Size: "},
    {"MSG_MODIFIED", "Modified: "},
    {"MSG_BYTES", " bytes."},
    {"MSG_CLOSING1", " (closing in "},
    {"MSG_CLOSING2", " seconds)"},
    {"MSG_CLOSING3", " second)"},
    {"MSG_RUNNING1", " is still running."},
    {"MSG_RUNNING2", " will continue to run in the system tray so that scheduled backup sets will be executed."},
    {"MSG_FINISH", "Finish"},
    {"MSG_CANCEL", "Cancel"},
    {"MSG_CLOSE", "Close"},
    {"MSG_DOWNLOADED", "Downloaded "},
    {"MSG_STATUS1", "Status: Unzipping Files..."},
    {"MSG_STATUS2", "Status: Finished Extracting "},
    {"MSG_STATUS3", "Status: Decrypting file"},
    {"MSG_STATUS4", "Status: Finished Decrypting "},
    {"MSG_ABOUT", "About "},
    {"MSG_CAPTION", "[ProgramName] by [CompanyName]"},
    {"MSG_WEBSITE", "Visit [Website]"},
    {"MSG_MONDAY", "Monday"},
    {"MSG_TUESDAY", "Tuesday"},
    {"MSG_WEDNESDAY", "Wednesday"},
    {"MSG_THURSDAY", "Thursday"},
    {"MSG_FRIDAY", "Friday"},
    {"MSG_SATURDAY", "Saturday"},
    {"MSG_SUNDAY", "Sunday"},
};

using DefaultMessages = test::LocalisationTest;

TEST_F(DefaultMessages, EveryKeyGivesItsEnglishText)
{
    localisation::RegisterDefaultMessages();
    for (const Expected& e : Texts) {
        SCOPED_TRACE(e.key);
        EXPECT_EQ(Languages().getMessages(e.key), QString::fromUtf8(e.text));
    }
    // Without a language file a translation leaves every text as it was.
    Languages().ChangeLanguage(nullptr, "English");
    for (const Expected& e : Texts)
        EXPECT_EQ(Languages().getMessages(e.key), QString::fromUtf8(e.text)) << e.key;
    EXPECT_EQ(Languages().getMessages("MSG_TITLELANGUAGE"), "");
}

TEST_F(DefaultMessages, RegistersTheTableThenItsLaterKeysAgain)
{
    localisation::RegisterDefaultMessages();

    QStringList expected;
    for (const Expected& e : Texts)
        expected << QString(e.key) + "=" + QString::fromUtf8(e.text);
    for (std::size_t i = 15; i < std::size(Texts); ++i)
        expected << QString(Texts[i].key) + "=" + QString::fromUtf8(Texts[i].text);
    ASSERT_EQ(expected.size(), 97);

    QStringList registered;
    for (const localisation::LanguageMessage& m : Languages().messages())
        registered << m.Name + "=" + m.Text;
    EXPECT_EQ(registered, expected);
}

} // namespace
