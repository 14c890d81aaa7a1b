#pragma once

#include "core/tree/CTreeItem.h"

#include <QtGlobal>

// One item of the gateway configuration view's tree: the root, a gateway, a section or port
// of its settings, or a subsection.
class CGatewayTreeItem : public CTreeNode<CGatewayTreeItem> {
public:
    using CTreeNode::CTreeNode;

    // The gateway's address (network byte order), on the gateway and everything below it.
    quint32 address = 0;

    // A gateway is the same by its address, whatever its label; the others by their label.
    bool isSameAs(const CTreeItem& other) const override;
};
