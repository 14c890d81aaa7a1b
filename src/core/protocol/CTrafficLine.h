#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QTime>
#include <QtGlobal>

// A received datagram as it is queued, shown and logged:
// "[hh:mm:ss] (a.b.c.d) " followed by the text up to its first CR or LF.
// The traffic view, the log and the reply parser all rely on this shape: the time is
// the first "[" ... "]" pair and the sender the first "(" ... ")" pair.
class CTrafficLine {
public:
    // senderNetworkOrder is the address as inet_addr gives it (first octet first in memory).
    static QByteArray build(QTime received, quint32 senderNetworkOrder, QByteArrayView datagram);
    // A text the program sent, as the traffic list and the log show it:
    // "[hh:mm:ss] -> a.b.c.d: " followed by the text up to its first CR or LF.
    static QByteArray sent(QTime sentAt, quint32 destinationNetworkOrder, QByteArrayView text);
    static constexpr char kSentMark[] = "-> ";

    // "a.b.c.d", first octet first.
    static QByteArray dotted(quint32 addressNetworkOrder);

    // The datagram's text as it enters a line: everything before the first CR or LF.
    static QByteArrayView firstLine(QByteArrayView datagram);
};
