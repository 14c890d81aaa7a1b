#include "core/project/CProjectTreeItem.h"

bool CProjectTreeItem::isSameAs(const CTreeItem& other) const {
    const auto& same = static_cast<const CProjectTreeItem&>(other);
    if (isDevice() || same.isDevice()) {
        return isDevice() && same.isDevice() && same.place.device == place.device;
    }
    return same.label == label;
}
