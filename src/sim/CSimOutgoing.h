#pragma once

#include <QByteArray>
#include <QtGlobal>

// One datagram the site is to send: from a gateway, to an asker, at a time.
struct CSimOutgoing {
    int gateway = 0;  // index into the site's gateways: the sender
    quint32 to = 0;   // network byte order; the port is the site's reply port
    QByteArray bytes;
    qint64 dueMs = 0;  // milliseconds since the epoch, on the site's clock
};
