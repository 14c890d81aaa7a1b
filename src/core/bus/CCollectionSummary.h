#pragma once

#include "core/address/CSettingAddress.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// What a bus collection found out: how many gateways and devices it asked, how often a
// query went out again, and whose report is still incomplete after the last try, with
// what it lacks. Filled as the collection goes; whoever started it reads it at the end.
struct CCollectionSummary {
    struct Incomplete {
        QByteArray gateway;          // dotted
        std::optional<quint32> uid;  // none: the gateway's own report
        bool answered = false;       // false: nothing came at all
        std::vector<CSettingAddress> missing;

        // "UID 5 behind 10.0.0.2", "gateway 10.0.0.2".
        QString label() const;
        // "UID 5 behind 10.0.0.2 did not answer", "gateway 10.0.0.2 did not report
        // A.SERIAL.TYPE, NAME".
        QString line() const;
    };

    int gatewaysAsked = 0;
    int devicesAsked = 0;
    int repeats = 0;  // queries sent again
    std::vector<Incomplete> incomplete;

    bool isComplete() const { return incomplete.empty(); }
    // What the program says at the end of a collection that is not complete; empty when
    // it is.
    QString endMessage() const;
};
