#pragma once

#include "core/bus/CBusTreeItem.h"
#include "core/tree/CTreeModel.h"

#include <memory>
#include <pugixml.hpp>
#include <string>
#include <unordered_map>
#include <unordered_set>

// The tree of the bus view, as the plan holds it: the root "KV network", the gateways of
// Network_Configuration, below each the devices heard on its bus in ascending order of
// their number, and below each device the sections of its configuration. update() only
// adds what is missing and follows labels and kinds; items go only by removeItem(),
// rebuild() and reset(). Each item carries its role and its identity (CBusTreeItem).
class CBusTreeModel : public CTreeModelOf<CBusTreeItem> {
    Q_OBJECT

public:
    static constexpr const char* kRootLabel = "KV network";

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
    // The tree of a plan that was replaced or restructured: what the plan has, in its
    // order, and nothing else. The items that stay keep their place in the views.
    void rebuild(const pugi::xml_document& plan);

    const CBusTreeItem* gateway(QByteArrayView address) const;
    const CBusTreeItem* device(QByteArrayView address, QByteArrayView attribute,
                               quint32 number) const;

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
};
