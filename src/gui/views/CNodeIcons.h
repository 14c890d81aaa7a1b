#pragma once

#include <QIcon>

// The icons of the configuration trees: one per node kind, kinds 0 to 29 (drawn by
// scripts/make-node-icons). A tree whose image list is shorter passes its own count, so
// that kinds beyond it show no icon.
class CNodeIcons {
public:
    static constexpr int kCount = 30;

    // A null icon for a kind without one.
    static QIcon icon(int kind, int count = kCount);
};
