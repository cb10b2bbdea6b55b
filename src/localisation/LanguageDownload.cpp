#include "localisation/LanguageDownload.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include "localisation/Brand.h"
#include "localisation/LanguageFile.h"
#include "localisation/PendingReply.h"
#include "platform/FileWriter.h"
#include "platform/ProgramFolder.h"

namespace localisation
{

namespace
{
QUrl& urlOverride()
{
    static QUrl url;
    return url;
}
} // namespace

QUrl languageDownloadUrl()
{
    if (!urlOverride().isEmpty())
        return urlOverride();
    QString host = BrandWebsite().trimmed();
    // The website may be given with or without a scheme and a path; only its host is used.
    const QUrl website = QUrl::fromUserInput(host);
    if (!website.host().isEmpty())
        host = website.host();
    return QUrl(QStringLiteral("http://%1/Languages/0/Localization.xml").arg(host));
}

void setLanguageDownloadUrl(const QUrl& url)
{
    urlOverride() = url;
}

QByteArray languageFileFromAnswer(const QByteArray& answer)
{
    if (!answer.toUpper().contains("<TRANSLATION_ITEMS>"))
        return {};
    const qsizetype first = answer.indexOf('<');
    return answer.mid(first) + "\r\n";
}

LanguageDownload::LanguageDownload(QObject* parent)
    : QObject(parent)
    , m_network(new QNetworkAccessManager(this))
    , m_maxBytes(MaxLanguageFileBytes)
{ }

LanguageDownload::~LanguageDownload()
{
    cancel();
}

void LanguageDownload::setLimits(int timeoutMs, qint64 maxBytes)
{
    m_timeoutMs = timeoutMs;
    m_maxBytes = maxBytes;
}

void LanguageDownload::start(const QUrl& url)
{
    cancel();
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(m_timeoutMs);
    m_received.clear();
    m_tooLarge = false;
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, [this] {
        m_received += m_reply->readAll();
        if (m_received.size() > m_maxBytes) {
            m_tooLarge = true;
            m_reply->abort();
        }
    });
    connect(m_reply, &QNetworkReply::finished, this, &LanguageDownload::onFinished);
}

void LanguageDownload::cancel()
{
    abandonReply(m_reply, this);
}

void LanguageDownload::onFinished()
{
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    reply->deleteLater();
    QString reason;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (m_tooLarge)
        reason = QStringLiteral("The language file is larger than %1 MiB").arg(m_maxBytes / (1024 * 1024));
    else if (reply->error() == QNetworkReply::OperationCanceledError)
        reason = QStringLiteral("The server did not answer in time");
    else if (status >= 300 || (reply->error() != QNetworkReply::NoError && status != 0))
        reason = QStringLiteral("The server answered %1").arg(status);
    else if (reply->error() != QNetworkReply::NoError)
        reason = reply->errorString();
    else if (status < 200)
        reason = QStringLiteral("The server sent no answer");
    else {
        m_received += reply->readAll();
        reason = replaceFile(m_received);
    }
    m_received.clear();
    emit finished(reason);
}

QString LanguageDownload::replaceFile(const QByteArray& answer)
{
    const QByteArray content = languageFileFromAnswer(answer);
    if (content.isEmpty())
        return QStringLiteral("The answer is no language file");
    QString reason;
    if (!platform::fileWriter().replaceFile(platform::ProgramFolder::file(QLatin1String(LanguageFileName)), content,
                                            reason))
        return QStringLiteral("The language file cannot be written: ") + reason;
    return {};
}

} // namespace localisation
