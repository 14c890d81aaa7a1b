#pragma once

#include "sim/CSimRandom.h"

#include <QByteArray>
#include <QByteArrayView>

// The ways a simulated site can misbehave, to show that the program copes: commands or
// replies lost, replies late, devices that report another type, and replies that are not what the
// protocol says. Every fault still only ever answers the asker.
struct CSimFaults {
    // The ways a reply can be spoiled.
    enum class Malformation {
        QueryEcho,  // "!NAME=?;": the value replaced by "?"
        NoEquals,   // "!NAMEUbrix 1;": the "=" left out (announcements lose their number)
        Cut,        // the first half of the text, without line end
        Binary,     // bytes that are no text at all, NUL and CR among them
        Overlong,   // the text padded far beyond what a receive buffer holds
        BadName,    // a path that is no XML name: "!<NAME=Ubrix 1;"
        Empty,      // a datagram of no bytes
    };
    static constexpr int kMalformations = 7;
    static constexpr int kOverlongSize = 600;

    double dropShare = 0.0;         // share of replies never sent
    double commandDropShare = 0.0;  // share of commands a gateway never hears
    int delayMs = 0;                // every reply this much later
    bool wrongType = false;         // gateways and devices report another type of their family
    double malformedShare = 0.0;    // share of replies spoiled
    quint64 seed = 1;

    bool isNone() const {
        return dropShare <= 0.0 && commandDropShare <= 0.0 && delayMs <= 0 && !wrongType &&
               malformedShare <= 0.0;
    }

    // The reply spoiled in that way; random bytes come from random.
    static QByteArray malform(QByteArrayView reply, Malformation how, CSimRandom& random);
};
