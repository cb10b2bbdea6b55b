#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace engine
{

// The run window. In this form its start timer begins a run that ends at once as finished; the run
// itself, the window's own schedule clock and its following of the main window come with the engine.
class frmProcessing : public QDialog
{
    Q_OBJECT

public:
    frmProcessing();

    // Translates and skins the window; unloads it at once when a stop is requested, and hides it when
    // the main window is hidden (a scheduled run in the tray).
    void Form_Load();
    // Makes a window left loaded by an earlier run start a new one.
    void turnOffTimer();
    // Cancel/Close: requests the stop and unloads the window.
    void cmdClose_Click();
    void Timer1_Timer();
    void RunBackup();

    // The size in bytes of the file the run last prepared for sending.
    qint64 lngFileSize = 0;

    QTimer* Timer1 = nullptr;
    QTimer* tmrClose = nullptr;
    QPushButton* cmdClose = nullptr;
    QPlainTextEdit* lblStatus = nullptr;

private:
    void turnOffAllTimers();

    QLabel* lblLabel = nullptr;
};

} // namespace engine
