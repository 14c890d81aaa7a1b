#pragma once

#include "core/project/CProjectPlace.h"
#include "core/tree/CTreeItem.h"

// One item of the device map's tree: the root, a gateway or bus device, a group of settings
// or a port. What the item is (its role) decides how it behaves; its kind only chooses its
// icon, and its label is for people.
class CProjectTreeItem : public CTreeNode<CProjectTreeItem> {
public:
    using CTreeNode::CTreeNode;

    // Where its settings are; the root has none.
    CProjectPlace place;

    bool isDevice() const { return role() == Role::Gateway || role() == Role::Device; }
    // A device is the same by its address, the others by their label.
    bool isSameAs(const CTreeItem& other) const override;
};
