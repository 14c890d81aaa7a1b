#pragma once

#include <QByteArray>
#include <QtGlobal>

// One datagram the site is to send: from a gateway, to an asker, at a time.
struct CSimOutgoing {
    int gateway = 0;  // index into the site's gateways: the sender
    quint32 to = 0;   // network byte order
    int port = 0;     // 0: the network's reply port
    QByteArray bytes;
    qint64 dueMs = 0;  // milliseconds since the epoch, on the site's clock
    quint32 from = 0;  // the gateway's address when the reply was made
};
