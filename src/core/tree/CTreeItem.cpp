#include "core/tree/CTreeItem.h"

CTreeItem::~CTreeItem() = default;

bool CTreeItem::isSameAs(const CTreeItem& other) const {
    return m_role == other.m_role && label == other.label;
}

CTreeItem* CTreeItem::sameChild(const CTreeItem& item) const {
    for (const std::unique_ptr<CTreeItem>& child : m_children) {
        if (child->isSameAs(item)) {
            return child.get();
        }
    }
    return nullptr;
}

CTreeItem* CTreeItem::insertChild(int row, std::unique_ptr<CTreeItem> item) {
    CTreeItem* inserted = item.get();
    inserted->m_parent = this;
    m_children.insert(m_children.begin() + row, std::move(item));
    renumberFrom(row);
    return inserted;
}

std::unique_ptr<CTreeItem> CTreeItem::takeChild(int row) {
    std::unique_ptr<CTreeItem> taken = std::move(m_children[static_cast<size_t>(row)]);
    m_children.erase(m_children.begin() + row);
    renumberFrom(row);
    taken->m_parent = nullptr;
    return taken;
}

std::vector<std::unique_ptr<CTreeItem>> CTreeItem::takeChildren() {
    std::vector<std::unique_ptr<CTreeItem>> taken = std::move(m_children);
    m_children.clear();
    for (const std::unique_ptr<CTreeItem>& child : taken) {
        child->m_parent = nullptr;
    }
    return taken;
}

void CTreeItem::renumberFrom(int row) {
    for (auto at = static_cast<size_t>(row); at < m_children.size(); ++at) {
        m_children[at]->m_row = static_cast<int>(at);
    }
}
