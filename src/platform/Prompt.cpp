#include "platform/Prompt.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QtDebug>

namespace platform
{
namespace
{
QMessageBox::StandardButtons standardButtons(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
        return QMessageBox::Ok;
    case Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Buttons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton standardButton(Answer answer)
{
    switch (answer) {
    case Answer::Ok:
        return QMessageBox::Ok;
    case Answer::Cancel:
        return QMessageBox::Cancel;
    case Answer::Abort:
        return QMessageBox::Abort;
    case Answer::Retry:
        return QMessageBox::Retry;
    case Answer::Ignore:
        return QMessageBox::Ignore;
    case Answer::Yes:
        return QMessageBox::Yes;
    case Answer::No:
        return QMessageBox::No;
    }
    return QMessageBox::NoButton;
}

QMessageBox::Icon messageIcon(Icon icon)
{
    switch (icon) {
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

Answer toAnswer(int button, Buttons buttons)
{
    switch (button) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Abort:
        return Answer::Abort;
    case QMessageBox::Retry:
        return Answer::Retry;
    case QMessageBox::Ignore:
        return Answer::Ignore;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        // Closed with Escape or the close box: the box's cancelling answer.
        return buttons == Buttons::Ok ? Answer::Ok : defaultUnattendedAnswer(buttons);
    }
}

class QtPrompt : public Prompt
{
public:
    Answer show(const Message& message) override
    {
        return isUnattended() ? answerUnattended(message) : askInMessageBox(message);
    }
};

Prompt*& installed()
{
    static Prompt* current = nullptr;
    return current;
}

bool& serviceUnattended()
{
    static bool value = false;
    return value;
}

std::function<void(const QString&)>& sink()
{
    static std::function<void(const QString&)> value;
    return value;
}
} // namespace

Answer askInMessageBox(const Message& message)
{
    // The parent deletes the box with itself when it is unloaded while the box waits.
    QPointer<QMessageBox> box = new QMessageBox(messageIcon(message.icon), message.title, message.text,
                                                standardButtons(message.buttons), message.parent);
    box->setTextFormat(Qt::PlainText);
    if (message.defaultAnswer)
        box->setDefaultButton(standardButton(*message.defaultAnswer));
    const int button = box->exec();
    delete box.data();
    return toAnswer(button, message.buttons);
}

Answer defaultUnattendedAnswer(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::AbortRetryIgnore:
        return Answer::Ignore;
    case Buttons::OkCancel:
    case Buttons::YesNoCancel:
    case Buttons::RetryCancel:
        return Answer::Cancel;
    case Buttons::YesNo:
        return Answer::No;
    }
    return Answer::Ok;
}

Prompt& prompt()
{
    static QtPrompt qtPrompt;
    Prompt* current = installed();
    return current ? *current : qtPrompt;
}

void setPrompt(Prompt* prompt)
{
    installed() = prompt;
}

bool isUnattended()
{
    if (serviceUnattended())
        return true;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return true;
    return QGuiApplication::platformName() == QLatin1String("offscreen") || QGuiApplication::screens().isEmpty();
}

void setServiceUnattended(bool unattended)
{
    serviceUnattended() = unattended;
}

void setUnattendedSink(std::function<void(const QString&)> newSink)
{
    sink() = std::move(newSink);
}

Answer answerUnattended(const Message& message)
{
    QString line = message.title.isEmpty() ? message.text : message.title + QStringLiteral(": ") + message.text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    qInfo().noquote() << "Unattended message:" << line;
    if (sink())
        sink()(line);
    return message.answerWhenUnattended();
}

} // namespace platform
