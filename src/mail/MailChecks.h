#pragma once

#include <QString>

namespace mail
{

// True for exactly one "@" followed by a valid domain; the part before it is not examined.
bool IsValidEmailAddress(const QString& AddressString);
// An IPv4 address, or a name of two labels or more, each of letters, digits and inner hyphens, the
// last of letters only (or an international name's ASCII form).
bool IsValidDomain(const QString& text);
// Four dotted decimal numbers, the first at most 239, the others at most 255.
bool IsIPAddress(const QString& text);
// The address as it lies in memory in network order (first number in the lowest byte); 0 for any
// other text.
quint32 IPToLong(const QString& text);

// The first address of a host name (trimmed) as dotted text; empty when it has none. An empty name
// receives the local host name.
QString GetIPAddress(QString& sHostName);
// The local host name.
QString GetIPHost();

// Sends one ICMP echo with 32 random bytes and waits 255 ms for the answer. True when `Address` (a
// host name or address; afterwards the address that answered) answered; `status` says why not when
// the system allows no ICMP socket.
bool Ping(QString& Address, QString& RoundTripTime, QString& DataSize, bool& DataMatch, QString* status = nullptr);

} // namespace mail
