#include "CBusTreeItem.h"

const CBusTreeItem* CBusTreeItem::gatewayItem() const {
    const CBusTreeItem* item = this;
    while (item != nullptr && item->m_role != Role::Gateway) {
        item = item->m_parent;
    }
    return item;
}

const CBusTreeItem* CBusTreeItem::deviceItem() const {
    const CBusTreeItem* item = this;
    while (item != nullptr && item->m_role == Role::Section) {
        item = item->m_parent;
    }
    return item != nullptr && item->m_role == Role::Device ? item : nullptr;
}

CBusTreeItem* CBusTreeItem::insertChild(int row, std::unique_ptr<CBusTreeItem> item) {
    CBusTreeItem* inserted = item.get();
    m_children.insert(m_children.begin() + row, std::move(item));
    renumberFrom(row);
    return inserted;
}

void CBusTreeItem::removeChild(int row) {
    m_children.erase(m_children.begin() + row);
    renumberFrom(row);
}

void CBusTreeItem::renumberFrom(int row) {
    for (auto at = static_cast<size_t>(row); at < m_children.size(); ++at) {
        m_children[at]->m_row = static_cast<int>(at);
    }
}
