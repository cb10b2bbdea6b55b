#pragma once

class QNetworkReply;
class QObject;

namespace localisation
{

// Ends a pending request: clears `reply`, so that nothing of it reaches `receiver` any more, aborts it
// and deletes it later. False when no request was pending.
bool abandonReply(QNetworkReply*& reply, QObject* receiver);

} // namespace localisation
