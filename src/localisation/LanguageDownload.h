#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace localisation
{

// Where a newer language file is fetched from: the brand website's host over http, unless a test
// has set another address.
QUrl languageDownloadUrl();
void setLanguageDownloadUrl(const QUrl& url);

// What a fetched language file becomes on disk: the bytes from its first "<" on, then CR LF. Empty
// when the answer holds no translation items, so it is no language file.
QByteArray languageFileFromAnswer(const QByteArray& answer);

// One fetch of the language file. Only a whole 2xx answer within the time limit and the size cap that
// holds translation items replaces Localization.xml, and it does so atomically: any failure leaves
// the old file as it was.
class LanguageDownload : public QObject
{
    Q_OBJECT

public:
    explicit LanguageDownload(QObject* parent = nullptr);
    ~LanguageDownload() override;

    void start(const QUrl& url);
    void cancel();
    bool busy() const { return m_reply != nullptr; }

    void setLimits(int timeoutMs, qint64 maxBytes);
    static constexpr int DefaultTimeoutMs = 30000;

signals:
    // `reason` is empty when the file was replaced.
    void finished(const QString& reason);

private:
    void onFinished();
    QString replaceFile(const QByteArray& answer);

    QNetworkAccessManager* m_network = nullptr;
    QNetworkReply* m_reply = nullptr;
    QByteArray m_received;
    bool m_tooLarge = false;
    int m_timeoutMs = DefaultTimeoutMs;
    qint64 m_maxBytes;
};

} // namespace localisation
