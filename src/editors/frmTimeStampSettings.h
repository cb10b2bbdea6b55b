#pragma once

#include <array>

#include <QDialog>
#include <QPointer>

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace editors
{

// The time-stamp options dialog: how precise a set's time stamps are, which name pattern they take
// and how many old backups the set keeps. It edits the seven hidden time-stamp labels of the editor
// that opened it, found by name, so any window that carries them can be the caller.
class frmTimeStampSettings : public QDialog
{
    Q_OBJECT

public:
    frmTimeStampSettings();

    void Form_Load();
    // Makes `editor` the caller and shows its labels' values; a label that names no choice of its
    // control leaves that control at its design value.
    void setFrmParent(QWidget* editor);
    // Opens the dialog modally over `editor`.
    static void showFor(QWidget* editor);

    void cmbAccurancy_Click();
    void optRemoveVersions_Click(int Index);
    void cmdOK_Click();
    void cmdCancel_Click();

    // The pattern of each item of the format list, by item.
    const std::array<QString, 4>& patterns() const { return m_patterns; }

    // The calling editor; null when the dialog was loaded without one.
    QPointer<QWidget> frmParent;

    QComboBox* cmbAccurancy = nullptr;
    QComboBox* cmbTimestampFormat = nullptr;
    std::array<QRadioButton*, 3> optRemoveVersions {};
    // The counts are spin boxes, so that only a usable number can be stored.
    QSpinBox* txtVersions = nullptr;
    QSpinBox* txtPeriod = nullptr;
    QComboBox* cmbPeriod = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void showDesignValues();
    QLabel* parentLabel(const char* name) const;

    std::array<QString, 4> m_patterns;
};

} // namespace editors
