#include "localisation/PendingReply.h"

#include <QNetworkReply>

namespace localisation
{

bool abandonReply(QNetworkReply*& reply, QObject* receiver)
{
    if (!reply)
        return false;
    QNetworkReply* pending = reply;
    reply = nullptr;
    pending->disconnect(receiver);
    pending->abort();
    pending->deleteLater();
    return true;
}

} // namespace localisation
