#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace restore
{

// The layout and status line of the small file tools: a file box with "..." to pick the file, a
// second box, the button that does the work, and the status below them.
class ToolWindow : public QDialog
{
    Q_OBJECT

public:
    void Form_Load();
    // "...".
    virtual void Command1_Click() = 0;
    // The button that does the work.
    virtual void Command2_Click() = 0;

    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Command2 = nullptr;
    QLabel* lblStatus = nullptr;

protected:
    struct Design
    {
        const char* name;
        QString title;
        QString fileLabel;
        QString secondLabel;
        // The design name of the second box.
        const char* secondBox;
        QString action;
    };
    explicit ToolWindow(const Design& design);

    QLineEdit* secondBox() const { return m_second; }
    void showStatus(const QString& text);

private:
    QLineEdit* m_second = nullptr;
};

} // namespace restore
