#pragma once

#include <array>

#include <QWidget>

#include "core/BackupSet.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace editors
{

// The page of both editors that sets how a set's files are packed (copied, one archive, or one
// archive per file), the archive's name, and whether a password protects what is delivered.
class CompressionPage : public QWidget
{
    Q_OBJECT

public:
    explicit CompressionPage(QWidget* parent = nullptr);

    void optCompressionType_Click(int Index);
    // A typed blank becomes "_"; true when the key was taken.
    bool txtZIPName_KeyPress(int KeyAscii);
    void txtZIPName_LostFocus();
    void txtZIPName_GotFocus();
    void cmbProtection_Click();
    void txtBFPassword_Change();
    void txtBFConfirmation_Change();
    void txtBFPassword_GotFocus();
    void txtBFConfirmation_GotFocus();

    // Puts Compression, ProtectData, BFPassword and ZIPName into `set`; with no compression option
    // chosen, Compression stays as it was.
    void readInto(core::BackupSetInfo& set) const;
    // Shows the set's values; both password boxes get the stored password.
    void showValues(const core::BackupSetInfo& set);

    std::array<QRadioButton*, 3> optCompressionType {};
    QLineEdit* txtZIPName = nullptr;
    QComboBox* cmbProtection = nullptr;
    QLineEdit* txtBFPassword = nullptr;
    QLineEdit* txtBFConfirmation = nullptr;
    QLabel* lblPasswordMatch = nullptr;
    // The two boxes matched at their last change.
    bool PasswordsMatch = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ValidatePassword();
    static void SelectText(QLineEdit* Box);
};

} // namespace editors
