#pragma once

#include <QJsonObject>
#include <QTemporaryDir>

#include "peers/PeerProcess.h"
#include "support/ProgramFolderTest.h"

namespace test
{

// A program folder and the aiosmtpd peer, which keeps what it accepts in a folder of its own.
class SmtpPeerTest : public ProgramFolderTest
{
protected:
    // Starts tests/peers/smtp_peer.py with `arguments`; the port is peer.port().
    void startPeer(const QStringList& arguments = {});
    // Starts tests/peers/scripted_smtp_peer.py in `mode` instead, for misbehaviour aiosmtpd will not show.
    void startScriptedPeer(const QString& mode);
    // A port on 127.0.0.1 that nothing listens on.
    static quint16 closedPort();

    // The data of the n-th accepted message, and its envelope; empty when there is none.
    QByteArray message(int n = 1) const;
    QJsonObject envelope(int n = 1) const;
    // The n-th message as Python's email package reads it: "headers", "top", "defects" and "parts"
    // (each with "type", "filename", "content_id", "sha256" and, for text, "text").
    QJsonObject parsedMessage(int n = 1) const;
    // A file of `size` bytes below the program folder, its bytes given back.
    QByteArray makeFile(const QString& name, qsizetype size);

    PeerProcess peer;
    QTemporaryDir received;
};

} // namespace test
