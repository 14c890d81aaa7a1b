#pragma once

#include <QtGlobal>

// Where a simulated site listens and answers.
struct CSimNetworkOptions {
    int sendPort = 5000;   // where the gateways listen: the program's send port
    int replyPort = 4000;  // where replies go: the program's receive port
    // Also listen on 255.255.255.255 (off for a demo on this machine's loopback).
    bool limitedBroadcast = true;
    // When set, replies only ever go to askers in this network (network byte order).
    quint32 allowedNetwork = 0;
    quint32 allowedMask = 0;
    // A UDP port on 127.0.0.1 for control lines ("press 1 100001"); 0: none.
    int controlPort = 0;
    // A TCP port on every gateway's address for commands over a kept connection (a real
    // gateway's is 23); 0: none. Replies to them still go back by UDP.
    int tcpPort = 0;
};
