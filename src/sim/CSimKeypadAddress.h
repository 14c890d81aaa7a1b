#pragma once

#include <QtGlobal>

// A keypad address, zone.group.node; node 0 in a command addresses the whole group.
struct CSimKeypadAddress {
    quint32 zone = 0;
    quint32 group = 0;
    quint32 node = 0;

    bool operator==(const CSimKeypadAddress& other) const = default;
    // Whether a command sent to target reaches a channel at this address.
    bool isReachedBy(const CSimKeypadAddress& target) const {
        return zone == target.zone && group == target.group &&
               (target.node == 0 || node == target.node);
    }
};
