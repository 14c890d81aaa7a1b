#pragma once

#include <QtGlobal>

// Where a datagram reached a gateway: the address it was sent to (0 for a broadcast, or
// when the listener cannot tell) and the port (0 when the listener cannot tell). A gateway
// whose network settings moved hears only what comes to its new address and port.
struct CSimArrival {
    quint32 address = 0;  // network byte order
    int port = 0;
};
