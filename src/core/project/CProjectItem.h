#pragma once

#include "CProjectPlace.h"

#include <QString>
#include <vector>

// One item of the device map's tree. What the item is (its role) decides how it behaves;
// its kind only chooses its icon, and its label is for people.
struct CProjectItem {
    enum class Role { Root, Gateway, Device, Group, Port };

    Role role = Role::Root;
    QString label;
    int kind = 0;
    // Where its settings are; the root has none.
    CProjectPlace place;
    std::vector<CProjectItem> children;

    bool isDevice() const { return role == Role::Gateway || role == Role::Device; }
};
