#include "main_window/WebBrowser.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QStringDecoder>

#include "localisation/PendingReply.h"

namespace main_window
{

namespace
{
bool isWebUrl(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        && !url.host().isEmpty();
}

QString failureText(QNetworkReply* reply)
{
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 300) {
        const QString phrase = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        return QStringLiteral("The server answered %1 %2").arg(status).arg(phrase).trimmed();
    }
    switch (reply->error()) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("The server refused the connection");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("The server's name is unknown");
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::TimeoutError:
        return QStringLiteral("The server did not answer in time");
    default:
        return reply->errorString();
    }
}
} // namespace

WebBrowser::WebBrowser(QWidget* parent)
    : QTextBrowser(parent)
    , m_network(new QNetworkAccessManager(this))
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &WebBrowser::onLinkClicked);
    connect(this, &QTextBrowser::highlighted, this,
            [this](const QUrl& link) { emit StatusTextChange(link.isEmpty() ? QString() : link.toString()); });
}

void WebBrowser::setLimits(int timeoutMs, qint64 maxBytes)
{
    m_timeoutMs = timeoutMs;
    m_maxBytes = maxBytes;
}

QString WebBrowser::LocationName() const
{
    const QString title = document()->metaInformation(QTextDocument::DocumentTitle).trimmed();
    return title.isEmpty() ? m_location.toString() : title;
}

void WebBrowser::Navigate(const QString& address)
{
    const QString text = address.trimmed();
    // A bare domain ("example.org", "localhost:8080/a") gets "http://"; "mailto:x" keeps its scheme and
    // is refused below.
    static const QRegularExpression hasScheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:(?!\\d)"));
    const QUrl url(hasScheme.match(text).hasMatch() ? text : QStringLiteral("http://") + text);
    if (!isWebUrl(url)) {
        emit StatusTextChange(QStringLiteral("Only http and https addresses are opened: ") + text);
        return;
    }
    fetch(url, HistoryMove::Add, -1);
}

void WebBrowser::GoBack()
{
    if (m_current > 0)
        fetch(m_history.at(m_current - 1), HistoryMove::Keep, m_current - 1);
}

void WebBrowser::GoForward()
{
    if (m_current >= 0 && m_current + 1 < m_history.size())
        fetch(m_history.at(m_current + 1), HistoryMove::Keep, m_current + 1);
}

void WebBrowser::Refresh()
{
    if (m_current >= 0)
        fetch(m_history.at(m_current), HistoryMove::Keep, m_current);
}

void WebBrowser::Stop()
{
    if (!localisation::abandonReply(m_reply, this))
        return;
    emit StatusTextChange(QStringLiteral("Stopped"));
}

void WebBrowser::fetch(const QUrl& url, HistoryMove move, int historyIndex)
{
    if (m_reply)
        Stop();
    QNetworkRequest request(url);
    // Redirects may go from http to https but never back.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(10);
    request.setTransferTimeout(m_timeoutMs);
    m_received.clear();
    m_tooLarge = false;
    QNetworkReply* reply = m_network->get(request);
    m_reply = reply;
    emit StatusTextChange(QStringLiteral("Opening page ") + url.toString());
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        if (m_reply != reply)
            return;
        m_received += reply->readAll();
        if (m_received.size() > m_maxBytes) {
            m_tooLarge = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, move, historyIndex] { onFinished(reply, move, historyIndex); });
}

void WebBrowser::onFinished(QNetworkReply* reply, HistoryMove move, int historyIndex)
{
    reply->deleteLater();
    if (m_reply != reply)
        return;
    m_reply = nullptr;
    if (m_tooLarge) {
        emit StatusTextChange(QStringLiteral("The page is larger than %1 MiB and was not shown")
                                  .arg(m_maxBytes / (1024 * 1024.0), 0, 'g', 3));
        return;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || status < 200 || status >= 300) {
        emit StatusTextChange(failureText(reply) + QStringLiteral(": ") + reply->request().url().toString());
        return;
    }
    m_received += reply->readAll();
    const QUrl url = reply->url();
    if (move == HistoryMove::Add) {
        m_history.erase(m_history.begin() + (m_current + 1), m_history.end());
        m_history.append(url);
        m_current = static_cast<int>(m_history.size()) - 1;
    } else {
        m_history[historyIndex] = url;
        m_current = historyIndex;
    }
    showPage(url, m_received, reply->header(QNetworkRequest::ContentTypeHeader).toString());
    m_received.clear();
    emit StatusTextChange(QStringLiteral("Done"));
    emit DocumentComplete();
}

void WebBrowser::showPage(const QUrl& url, const QByteArray& body, const QString& contentType)
{
    m_location = url;
    document()->setBaseUrl(url);
    if (contentType.startsWith(QLatin1String("text/plain"), Qt::CaseInsensitive)) {
        QStringDecoder decoder(QStringDecoder::Utf8);
        setPlainText(decoder(body));
        return;
    }
    QStringDecoder decoder = QStringDecoder::decoderForHtml(body);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    setHtml(decoder(body));
}

void WebBrowser::onLinkClicked(const QUrl& link)
{
    const QUrl target = m_location.resolved(link);
    if (!isWebUrl(target)) {
        emit StatusTextChange(QStringLiteral("Only http and https addresses are opened: ") + target.toString());
        return;
    }
    fetch(target, HistoryMove::Add, -1);
}

QVariant WebBrowser::loadResource(int, const QUrl&)
{
    // Nothing is read from disk or fetched behind the page's back: pictures and style sheets stay out.
    return {};
}

} // namespace main_window
