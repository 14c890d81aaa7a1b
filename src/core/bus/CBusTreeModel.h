#pragma once

#include "CBusTreeItem.h"

#include <QAbstractItemModel>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <unordered_map>
#include <unordered_set>

// The tree of the bus view, as the plan holds it: the root "KV network", the gateways of
// Network_Configuration, below each the devices heard on its bus in ascending order of
// their number, and below each device the sections of its configuration. update() only
// adds what is missing and follows labels and kinds; items go only by removeItem() and
// reset(). Each item carries its role and its identity (CBusTreeItem).
//
// A plain item model without widgets: the view shows it through a tree view, and adds the
// icons of the kinds.
class CBusTreeModel : public QAbstractItemModel {
    Q_OBJECT

public:
    static constexpr const char* kRootLabel = "KV network";
    // The item's kind (int) and role (CBusTreeItem::Role as int).
    static constexpr int kKindRole = Qt::UserRole + 1;
    static constexpr int kItemRole = Qt::UserRole + 2;

    explicit CBusTreeModel(QObject* parent = nullptr);
    ~CBusTreeModel() override;

    // Only the root is left.
    void reset();
    // Keys of devices ("UID:5", CBusPlan::deviceKey) whose settings changed.
    using DeviceKeys = std::unordered_set<std::string>;

    // Adds what the plan has and the tree does not, and brings labels and kinds up to date.
    void update(const pugi::xml_document& plan);
    // The same, reading the configuration only of new devices and of those named in
    // changed: what a drain of replies can have changed, however large the site.
    void update(const pugi::xml_document& plan, const DeviceKeys& changed);
    // Takes a gateway, device or section item out of the tree (not the root).
    void removeItem(const CBusTreeItem* item);

    const CBusTreeItem* root() const { return m_root.get(); }
    const CBusTreeItem* item(const QModelIndex& index) const;
    QModelIndex indexOf(const CBusTreeItem* item) const;
    const CBusTreeItem* gateway(QByteArrayView address) const;
    const CBusTreeItem* device(QByteArrayView address, QByteArrayView attribute,
                               quint32 number) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    using NodeMap = std::unordered_map<std::string, pugi::xml_node>;

    struct PlanParts {
        NodeMap devices;   // "UID:5" -> Device_Configuration/DEVICE[@UID='5'], the first
        NodeMap gateways;  // "10.0.0.7" -> Device_Configuration/UBRIX[@IP='10.0.0.7']
    };

    static PlanParts readPlanParts(const pugi::xml_node& plan);
    CBusTreeItem* findOrAddGateway(const pugi::xml_node& entry, const PlanParts& parts);
    // The device's item, and whether it was just made.
    std::pair<CBusTreeItem*, bool> findOrAddDevice(CBusTreeItem* gateway, const char* attribute,
                                                   quint32 number);
    void update(const pugi::xml_document& plan, const DeviceKeys* changed);
    void updateDevice(CBusTreeItem* device, const pugi::xml_node& configuration);
    CBusTreeItem* findOrAddSection(CBusTreeItem* parent, const pugi::xml_node& element,
                                   int deviceKind, bool deviceKindChanged);
    void updateSection(CBusTreeItem* section, const pugi::xml_node& element);
    CBusTreeItem* insert(CBusTreeItem* parent, int row, std::unique_ptr<CBusTreeItem> item);
    void setLabelAndKind(CBusTreeItem* item, const QString& label, int kind);

    std::unique_ptr<CBusTreeItem> m_root;
};
