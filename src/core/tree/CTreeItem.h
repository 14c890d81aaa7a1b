#pragma once

#include <QString>
#include <memory>
#include <vector>

// One item of a configuration tree (the gateways, the bus, the project). Its role says
// what it stands for and decides what acts on it; its kind only picks its icon
// (CNodeKind); its label is for people. Each tree's items add what identifies them: a
// gateway's address, a device's number, a section's place.
//
// Only the tree's model changes the children, so that its views are told.
class CTreeItem {
public:
    enum class Role { Root, Gateway, Device, Section, Port };

    explicit CTreeItem(Role role) : m_role(role) {}
    virtual ~CTreeItem();
    CTreeItem(const CTreeItem&) = delete;
    CTreeItem& operator=(const CTreeItem&) = delete;

    Role role() const { return m_role; }
    CTreeItem* parent() const { return m_parent; }
    int row() const { return m_row; }
    int childCount() const { return static_cast<int>(m_children.size()); }
    CTreeItem* child(int row) const { return m_children[static_cast<size_t>(row)].get(); }

    int kind = 0;
    QString label;

    // Whether other stands for what this item stands for, as one build of a tree finds the
    // item of an earlier one: by default an item of the same role and label.
    virtual bool isSameAs(const CTreeItem& other) const;
    // The child that is the same as item, or null.
    CTreeItem* sameChild(const CTreeItem& item) const;

    CTreeItem* insertChild(int row, std::unique_ptr<CTreeItem> item);
    std::unique_ptr<CTreeItem> takeChild(int row);
    std::vector<std::unique_ptr<CTreeItem>> takeChildren();
    void clearChildren() { m_children.clear(); }

private:
    void renumberFrom(int row);

    Role m_role;
    CTreeItem* m_parent = nullptr;
    int m_row = 0;
    std::vector<std::unique_ptr<CTreeItem>> m_children;
};

// The items of one tree, all of one class: parent() and child() give that class.
template <class Item>
class CTreeNode : public CTreeItem {
public:
    using CTreeItem::CTreeItem;

    Item* parent() const { return static_cast<Item*>(CTreeItem::parent()); }
    Item* child(int row) const { return static_cast<Item*>(CTreeItem::child(row)); }

    // While a tree is built beside the shown one: the child that is the same as item, or
    // item as the last child.
    Item* findOrAppend(std::unique_ptr<Item> item) {
        if (CTreeItem* same = sameChild(*item)) {
            return static_cast<Item*>(same);
        }
        return static_cast<Item*>(insertChild(childCount(), std::move(item)));
    }
};
