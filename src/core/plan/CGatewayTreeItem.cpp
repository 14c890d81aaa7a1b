#include "core/plan/CGatewayTreeItem.h"

bool CGatewayTreeItem::isSameAs(const CTreeItem& other) const {
    if (role() != Role::Gateway || other.role() != Role::Gateway) {
        return CTreeItem::isSameAs(other);
    }
    return static_cast<const CGatewayTreeItem&>(other).address == address;
}
