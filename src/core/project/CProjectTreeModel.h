#pragma once

#include "core/project/CProjectTreeItem.h"
#include "core/tree/CTreeModel.h"

#include <pugixml.hpp>

// The device map's tree of a project in one of its two modes: the bus devices by UID
// ("KV network"), or the gateways by address ("LAN network"), each with its sections and
// their subsections. Only elements that hold elements become items; settings are listed
// beside the tree. Items with the same label under one parent are one item. A device's
// label can be edited: the edit starts from the address the project holds.
class CProjectTreeModel : public CTreeModelOf<CProjectTreeItem> {
    Q_OBJECT

public:
    static constexpr int kDeviceMode = 0;
    static constexpr int kGatewayMode = 1;
    // A device's address as the project holds it (QString), where its label edit starts.
    static constexpr int kAddressRole = kFirstOwnRole;

    explicit CProjectTreeModel(QObject* parent = nullptr);

    static QString rootLabel(int mode);
    // The device's label: "%d " with its UID, or its address.
    static QString deviceLabel(const CProjectDevice& device);

    // The tree of the project (none: only the root) in that mode: what the project has, in
    // its order, and nothing else.
    void rebuild(const pugi::xml_document* project, int mode);
    // Adds what the project has and the tree has not, at the end, and gives devices the
    // icon of their TYPE. Nothing goes.
    void addMissing(const pugi::xml_document& project, int mode);
    // The device's item, and everything below it, go by its new address: a rebuild after the
    // address changed keeps them.
    void readdress(const CProjectDevice& from, const CProjectDevice& to);
    // The device item whose UID reads as that number, or null.
    const CProjectTreeItem* deviceNumbered(long long uid) const;
    // The device's item, or null when the tree does not show it.
    const CProjectTreeItem* deviceItem(const CProjectDevice& device) const;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::unique_ptr<CProjectTreeItem> build(const pugi::xml_document* project, int mode) const;
};
