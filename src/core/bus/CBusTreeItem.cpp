#include "core/bus/CBusTreeItem.h"

const CBusTreeItem* CBusTreeItem::gatewayItem() const {
    const CBusTreeItem* item = this;
    while (item != nullptr && item->role() != Role::Gateway) {
        item = item->parent();
    }
    return item;
}

const CBusTreeItem* CBusTreeItem::deviceItem() const {
    const CBusTreeItem* item = this;
    while (item != nullptr && (item->role() == Role::Section || item->role() == Role::Port)) {
        item = item->parent();
    }
    return item != nullptr && item->role() == Role::Device ? item : nullptr;
}

bool CBusTreeItem::isSameAs(const CTreeItem& other) const {
    if (other.role() != role()) {
        return false;
    }
    const auto& same = static_cast<const CBusTreeItem&>(other);
    switch (role()) {
        case Role::Root:
            return true;
        case Role::Gateway:
            return same.gatewayText == gatewayText;
        case Role::Device:
            return same.deviceNumber == deviceNumber && same.deviceAttribute == deviceAttribute;
        case Role::Section:
        case Role::Port:
            break;
    }
    return same.element == element && same.hasElementAttribute == hasElementAttribute &&
           same.elementAttribute == elementAttribute;
}
