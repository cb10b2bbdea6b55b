#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace localisation
{

// The language window. This is its first form: it shows the language in use and closes; the list
// of the language file's groups, the choice and the download come with the window's own work.
class frmLanguage : public QDialog
{
    Q_OBJECT

public:
    frmLanguage();

    void Form_Load();
    void Command2_Click();

    QComboBox* Combo1 = nullptr;

private:
    QLabel* Label1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
};

} // namespace localisation
