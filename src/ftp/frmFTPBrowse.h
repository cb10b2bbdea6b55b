#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QStatusBar;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace ftp
{

class clsFtpClient;

// The remote folder browser of the FTP destination dialog. It logs in with the dialog's values, shows
// one remote folder at a time, creates folders and writes the chosen folder back into the dialog.
// Its work runs in the completion events of its own session, which it closes whenever it closes.
// Opened without the dialog's request it closes at once.
class frmFTPBrowse : public QDialog
{
    Q_OBJECT

public:
    // The icons, which also tell the kinds of rows apart.
    enum RowIcon
    {
        ParentIcon = 1,
        FolderIcon = 2,
        TextFileIcon = 3,
        OtherFileIcon = 4,
    };

    frmFTPBrowse();
    ~frmFTPBrowse() override;

    void Form_Load();
    void Timer1_Timer();
    void ListView1_DblClick();
    void cmdMKDIR_Click();
    void cmdSelect_Click();
    void cmdCancel_Click();

    // The session while the browser is open; nullptr once it closed.
    clsFtpClient* session() const { return mFTP; }
    static int rowIcon(const QTreeWidgetItem* row);

    // Written by the new-folder prompt: the confirmed name, or empty.
    QString folderName;

    QLabel* Label1 = nullptr;
    QTreeWidget* ListView1 = nullptr;
    QPushButton* cmdMKDIR = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdSelect = nullptr;
    QStatusBar* stBar = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    // Escape and the close box cancel.
    void reject() override;

private:
    void mFTP_OnConnect(int result);
    void mFTP_OnSetCurrentDirectory(int result);
    void mFTP_OnGetCurrentDirectory(int result);
    void mFTP_OnEnumFiles(int result);
    void mFTP_OnCreateDirectory(int result);
    void mFTP_OnStateChange(int state);
    void mFTP_OnQuitSession(int result);

    // Empties the list and lists the session's current folder.
    void listCurrentFolder();
    void addRow(int icon, const QString& name, const QString& size, const QString& modified);
    // The status text shown while no listing runs.
    void setNote(const QString& note);
    // The session's reason for its last failure, in the server's words where it gave some.
    QString failureReason() const;
    // Shows a failure in the status line and, with `inMessage`, in a message box too.
    void showFailure(const QString& text, bool inMessage);
    void setHourglass(bool on);
    void closeSession();

    clsFtpClient* mFTP = nullptr;
    QString strHost;
    QString strPort;
    QString strUser;
    QString strPassword; // scrambled until the session needs it
    QString strFolder;
    bool bPassive = false;
    bool bConnected = false;
    QString strLoginFolder;

    // The change to the start folder is under way: a refusal leaves the browser in the login folder.
    bool m_openingStartFolder = false;
    bool m_startingUp = false;
    QString m_requestedFolder;
    QString m_note;
    bool m_hourglass = false;
};

} // namespace ftp
