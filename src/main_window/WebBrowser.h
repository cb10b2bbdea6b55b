#pragma once

#include <QByteArray>
#include <QList>
#include <QTextBrowser>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace main_window
{

// A small browser over QTextBrowser: fetches http and https pages itself with a time-out and a size
// cap, keeps its own history, and shows pages as rich text (no scripts, no remote images). Links
// stay inside it.
class WebBrowser : public QTextBrowser
{
    Q_OBJECT

public:
    explicit WebBrowser(QWidget* parent = nullptr);

    // Opens `address`; a bare domain gets "http://". Other schemes are refused with a status text.
    void Navigate(const QString& address);
    void GoBack();
    void GoForward();
    void Stop();
    void Refresh();

    bool Busy() const { return m_reply != nullptr; }
    QUrl LocationURL() const { return m_location; }
    // The page's title, or its address when it has none.
    QString LocationName() const;

    void setLimits(int timeoutMs, qint64 maxBytes);

    static constexpr int DefaultTimeoutMs = 20000;
    static constexpr qint64 DefaultMaxBytes = 8 * 1024 * 1024;

signals:
    void StatusTextChange(const QString& text);
    void DocumentComplete();

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    enum class HistoryMove
    {
        Add,
        Keep,
    };
    void fetch(const QUrl& url, HistoryMove move, int historyIndex);
    void onFinished(QNetworkReply* reply, HistoryMove move, int historyIndex);
    void onLinkClicked(const QUrl& link);
    void showPage(const QUrl& url, const QByteArray& body, const QString& contentType);

    QNetworkAccessManager* m_network = nullptr;
    QNetworkReply* m_reply = nullptr;
    QByteArray m_received;
    bool m_tooLarge = false;
    QList<QUrl> m_history;
    int m_current = -1;
    QUrl m_location;
    int m_timeoutMs = DefaultTimeoutMs;
    qint64 m_maxBytes = DefaultMaxBytes;
};

} // namespace main_window
