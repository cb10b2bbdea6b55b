#pragma once

#include <deque>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "restore/frmWarning.h"

namespace test
{

// Stands in for the restore window, which keeps itself in front until the question comes up.
class FakeRestoreWindow : public QWidget
{
    Q_OBJECT
public:
    FakeRestoreWindow() { setObjectName("frmRestoring"); }
    int turnedOff = 0;
public slots:
    void turnOffOnTopTimer() { ++turnedOff; }
};

// Answers the overwrite question the way a user would, one action per question, and remembers
// what each question showed.
class WarningScript
{
public:
    enum class Action
    {
        Yes,
        No,
        YesToAll,
        NoToAll,
        Cancel,
        TimeOut,
        CloseBox,
    };

    explicit WarningScript(std::initializer_list<Action> actions)
        : m_actions(actions)
    {
        QObject::connect(&m_poll, &QTimer::timeout, [this] { poll(); });
        m_poll.start(0);
    }

    int prompts = 0;
    QStringList files;
    QStringList sizes;
    QStringList dates;
    bool ranOut = false;

private:
    void poll()
    {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<restore::frmWarning*>(window);
            if (!dialog || !dialog->isVisible())
                continue;
            ++prompts;
            files << dialog->lblFile->text();
            sizes << dialog->lblSize1->text() + " | " + dialog->lblSize2->text();
            dates << dialog->lblDate1->text() + " | " + dialog->lblDate2->text();
            if (m_actions.empty()) {
                ranOut = true;
                dialog->cmdNo->click();
                continue;
            }
            const Action action = m_actions.front();
            m_actions.pop_front();
            act(*dialog, action);
        }
    }

    static void act(restore::frmWarning& dialog, Action action)
    {
        switch (action) {
        case Action::Yes:
            dialog.cmdYes->click();
            break;
        case Action::No:
            dialog.cmdNo->click();
            break;
        case Action::YesToAll:
            dialog.cmdYesAll->click();
            break;
        case Action::NoToAll:
            dialog.Command1->click();
            break;
        case Action::Cancel:
            dialog.cmdCancel->click();
            break;
        case Action::TimeOut:
            for (int i = 0; i < 30; ++i)
                dialog.tmr30_Timer();
            break;
        case Action::CloseBox:
            dialog.close();
            break;
        }
    }

    std::deque<Action> m_actions;
    QTimer m_poll;
};

} // namespace test
