#include "platform/Prompt.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

TEST(Prompt, UnattendedProgramTakesTheSafeAnswerAndRecordsTheMessage)
{
    // Tests run on the offscreen platform: nobody can see a message box.
    ASSERT_TRUE(platform::isUnattended());
    QStringList recorded;
    platform::setUnattendedSink([&](const QString& line) { recorded << line; });

    platform::Message question;
    question.title = "Quillback";
    question.text = "Delete the set?\r\nThis cannot be undone.";
    question.buttons = platform::Buttons::YesNo;
    EXPECT_EQ(platform::prompt().show(question), platform::Answer::No);

    platform::Message notice;
    notice.text = "Permission denied";
    notice.buttons = platform::Buttons::AbortRetryIgnore;
    EXPECT_EQ(platform::prompt().show(notice), platform::Answer::Ignore);

    notice.unattendedAnswer = platform::Answer::Abort;
    EXPECT_EQ(platform::prompt().show(notice), platform::Answer::Abort);

    ASSERT_EQ(recorded.size(), 3);
    EXPECT_EQ(recorded.at(0), "Quillback: Delete the set? This cannot be undone.");
}

TEST(Prompt, AMessageBoxShowsItsTextAsItStandsAndGivesTheButtonPressed)
{
    platform::Message question;
    question.title = "Quillback";
    question.text = "Delete <b>Taxes</b> & <img src=\"x.png\">?";
    question.buttons = platform::Buttons::YesNo;
    QString shownText;
    Qt::TextFormat format = Qt::AutoText;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shownText = box->text();
        format = box->textFormat();
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(platform::askInMessageBox(question), platform::Answer::Yes);
    EXPECT_EQ(shownText, question.text);
    EXPECT_EQ(format, Qt::PlainText);
}

TEST(Prompt, AMessageBoxWhoseWindowIsUnloadedMeanwhileTakesTheCancellingAnswer)
{
    // A window unloads itself while its question waits (a countdown ran out, the program ends).
    auto* window = new QWidget;
    platform::Message question;
    question.text = "Paused";
    question.buttons = platform::Buttons::YesNo;
    question.parent = window;
    QTimer::singleShot(0, window, [window] { window->deleteLater(); });
    EXPECT_EQ(platform::askInMessageBox(question), platform::Answer::No);
}

TEST(Prompt, EnterPressesTheDefaultButton)
{
    const struct
    {
        std::optional<platform::Answer> defaultAnswer;
        platform::Answer expected;
    } cases[] = {
        {platform::Answer::No, platform::Answer::No},
        {platform::Answer::Yes, platform::Answer::Yes},
        // Without a default the box takes its first accepting button.
        {std::nullopt, platform::Answer::Yes},
    };
    for (const auto& c : cases) {
        platform::Message question;
        question.text = "Delete the set?";
        question.buttons = platform::Buttons::YesNo;
        question.defaultAnswer = c.defaultAnswer;
        QTimer::singleShot(0, [] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            // The key goes where the keyboard's focus is, as a person's Enter would.
            QWidget* target = box->focusWidget() ? box->focusWidget() : box;
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(target, &enter);
            if (box->isVisible()) {
                ADD_FAILURE() << "Enter left the box open";
                box->close();
            }
        });
        EXPECT_EQ(platform::askInMessageBox(question), c.expected);
    }
}
