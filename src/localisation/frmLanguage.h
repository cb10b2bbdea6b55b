#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace localisation
{

class LanguageDownload;

// The language window: the groups of the language file to choose from, a download of a newer
// file, and the file opened for translators.
class frmLanguage : public QDialog
{
    Q_OBJECT

public:
    frmLanguage();
    ~frmLanguage() override;

    void Form_Load();
    void Combo1_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    LanguageDownload& download() { return *m_download; }

    QLabel* Label1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;

signals:
    // A download ended; `reason` is empty when the file was replaced.
    void downloadEnded(const QString& reason);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FillLanguageList();
    void onDownloaded(const QString& reason);

    LanguageDownload* m_download = nullptr;
};

} // namespace localisation
