#include "core/bus/CBusTreeModel.h"

#include "core/bus/CBusPlan.h"
#include "core/plan/CPropertyLabel.h"
#include "core/plan/CPropertyRows.h"
#include "core/transport/CIpv4Address.h"
#include "core/tree/CNodeKind.h"

#include <algorithm>

namespace {

QString fromXml(const char* text) {
    return QString::fromUtf8(text);
}

// "UID 5 ", "SN 812 ": the label of a device until it has an alias.
QString numberLabel(QByteArrayView attribute, quint32 number) {
    return QString::fromLatin1(attribute) + QLatin1Char(' ') + QString::number(number) +
           QLatin1Char(' ');
}

}  // namespace

CBusTreeModel::CBusTreeModel(QObject* parent)
    : CTreeModelOf(std::make_unique<CBusTreeItem>(CBusTreeItem::Role::Root), parent) {
    rootItem()->label = QString::fromLatin1(kRootLabel);
}

CBusTreeModel::~CBusTreeModel() = default;

void CBusTreeModel::reset() {
    clear(QString::fromLatin1(kRootLabel));
}

const CBusTreeItem* CBusTreeModel::gateway(QByteArrayView address) const {
    for (int row = 0; row < root()->childCount(); ++row) {
        if (root()->child(row)->gatewayText == address) {
            return root()->child(row);
        }
    }
    return nullptr;
}

const CBusTreeItem* CBusTreeModel::device(QByteArrayView address, QByteArrayView attribute,
                                          quint32 number) const {
    const CBusTreeItem* gatewayItem = gateway(address);
    if (gatewayItem == nullptr) {
        return nullptr;
    }
    for (int row = 0; row < gatewayItem->childCount(); ++row) {
        const CBusTreeItem* candidate = gatewayItem->child(row);
        if (candidate->deviceNumber == number && candidate->deviceAttribute == attribute) {
            return candidate;
        }
    }
    return nullptr;
}

void CBusTreeModel::update(const pugi::xml_document& plan) {
    update(plan, nullptr);
}

void CBusTreeModel::update(const pugi::xml_document& plan, const DeviceKeys& changed) {
    update(plan, &changed);
}

void CBusTreeModel::rebuild(const pugi::xml_document& plan) {
    CBusTreeModel fresh;
    fresh.update(plan);
    merge(*fresh.rootItem(), Merge::Replace);
}

void CBusTreeModel::update(const pugi::xml_document& plan, const DeviceKeys* changed) {
    const pugi::xml_node planElement = plan.document_element();
    const PlanParts parts = readPlanParts(planElement);
    for (const pugi::xml_node& network : planElement.children("Network_Configuration")) {
        for (const pugi::xml_node& entry : network.children("UBRIX")) {
            if (!entry.attribute("IP")) {
                continue;
            }
            CBusTreeItem* gatewayItem = findOrAddGateway(entry, parts);
            for (const pugi::xml_node& heard : entry.children()) {
                const pugi::xml_attribute identity = heard.first_attribute();
                if (heard.type() != pugi::node_element || !identity) {
                    continue;
                }
                const char* attribute = identity.name();
                const quint32 number = CBusPlan::deviceNumber(identity.value());
                const auto [deviceItem, added] = findOrAddDevice(gatewayItem, attribute, number);
                const std::string key = CBusPlan::deviceKey(attribute, number);
                if (!added && changed != nullptr && !changed->contains(key)) {
                    continue;
                }
                const auto configuration = parts.devices.find(key);
                if (configuration != parts.devices.end()) {
                    updateDevice(deviceItem, configuration->second);
                }
            }
        }
    }
}

CBusTreeModel::PlanParts CBusTreeModel::readPlanParts(const pugi::xml_node& plan) {
    PlanParts parts;
    for (const pugi::xml_node& configuration : plan.children("Device_Configuration")) {
        for (const pugi::xml_node& element : configuration.children()) {
            if (std::string_view(element.name()) == "DEVICE") {
                for (const char* attribute : {"UID", "SN"}) {
                    if (const pugi::xml_attribute value = element.attribute(attribute)) {
                        parts.devices.try_emplace(CBusPlan::deviceKey(attribute, value.value()),
                                                  element);
                    }
                }
            } else if (std::string_view(element.name()) == "UBRIX") {
                if (const pugi::xml_attribute ip = element.attribute("IP")) {
                    parts.gateways.try_emplace(ip.value(), element);
                }
            }
        }
    }
    return parts;
}

CBusTreeItem* CBusTreeModel::findOrAddGateway(const pugi::xml_node& entry, const PlanParts& parts) {
    const QByteArray address(entry.attribute("IP").value());
    if (const CBusTreeItem* known = gateway(address)) {
        return const_cast<CBusTreeItem*>(known);
    }
    auto added = std::make_unique<CBusTreeItem>(CBusTreeItem::Role::Gateway);
    added->kind = CNodeKind::kGateway;
    added->gatewayText = address;
    added->gatewayAddress = CIpv4Address::fromDotted(address);
    added->label = QString::fromLatin1(address);
    // The gateway's name, when it is known as the item is made; an empty one is no name.
    const auto configuration = parts.gateways.find(address.toStdString());
    if (configuration != parts.gateways.end()) {
        const char* name = configuration->second.child("NAME").child_value();
        if (*name != '\0') {
            added->label = fromXml(name);
        }
    }
    return insert(rootItem(), rootItem()->childCount(), std::move(added));
}

std::pair<CBusTreeItem*, bool> CBusTreeModel::findOrAddDevice(CBusTreeItem* gateway,
                                                              const char* attribute,
                                                              quint32 number) {
    // Devices stand in ascending order of their number; "SN 812" and "UID 812" are two.
    int row = 0;
    for (; row < gateway->childCount(); ++row) {
        CBusTreeItem* candidate = gateway->child(row);
        if (candidate->deviceNumber > number) {
            break;
        }
        if (candidate->deviceNumber == number && candidate->deviceAttribute == attribute) {
            return {candidate, false};
        }
    }
    auto added = std::make_unique<CBusTreeItem>(CBusTreeItem::Role::Device);
    added->kind = CNodeKind::kUntypedDevice;
    added->gatewayText = gateway->gatewayText;
    added->gatewayAddress = gateway->gatewayAddress;
    added->deviceAttribute = attribute;
    added->deviceNumber = number;
    added->label = numberLabel(added->deviceAttribute, number);
    return {insert(gateway, row, std::move(added)), true};
}

void CBusTreeModel::updateDevice(CBusTreeItem* device, const pugi::xml_node& configuration) {
    // The device's own type decides its kind and its ports' kinds, wherever TYPE stands
    // among its settings.
    int deviceKind = device->kind;
    if (const pugi::xml_node type = configuration.child("TYPE")) {
        deviceKind = CNodeKind::of(type.child_value(), CNodeKind::Tree::Bus);
    }
    const bool deviceKindChanged = deviceKind != device->kind;
    const char* alias = configuration.child("ALIAS").child_value();
    setLabelAndKind(device,
                    *alias != '\0' ? fromXml(alias)
                                   : numberLabel(device->deviceAttribute, device->deviceNumber),
                    deviceKind);
    for (const pugi::xml_node& element : configuration.children()) {
        if (CPropertyRows::isSection(element)) {
            updateSection(findOrAddSection(device, element, deviceKind, deviceKindChanged),
                          element);
        }
    }
}

CBusTreeItem* CBusTreeModel::findOrAddSection(CBusTreeItem* parent, const pugi::xml_node& element,
                                              int deviceKind, bool deviceKindChanged) {
    // Under a device a section is named with its first attribute ("PORT (A)"); below
    // that, by its element alone.
    const bool topLevel = parent->role() == CBusTreeItem::Role::Device;
    const pugi::xml_attribute attribute = element.first_attribute();
    const bool named = topLevel && attribute;
    const char* name = element.name();
    const char* attributeValue = named ? attribute.value() : "";
    for (int row = 0; row < parent->childCount(); ++row) {
        CBusTreeItem* candidate = parent->child(row);
        if (candidate->element == name && candidate->hasElementAttribute == named &&
            candidate->elementAttribute == attributeValue) {
            if (deviceKindChanged) {
                // A port's kind follows its device's, which may have come after it.
                setLabelAndKind(candidate, candidate->label,
                                CNodeKind::of(candidate->baseLabel.toStdString(),
                                              CNodeKind::Tree::Bus, deviceKind));
            }
            return candidate;
        }
    }
    const QString baseLabel = CPropertyLabel::make(name, attributeValue, named);
    const bool isPort = topLevel && std::string_view(name) == "PORT" && named;
    auto added = std::make_unique<CBusTreeItem>(isPort ? CBusTreeItem::Role::Port
                                                       : CBusTreeItem::Role::Section);
    added->kind = CNodeKind::of(baseLabel.toStdString(), CNodeKind::Tree::Bus,
                                topLevel ? deviceKind : CNodeKind::kRoot);
    added->label = baseLabel;
    added->baseLabel = baseLabel;
    added->gatewayText = parent->gatewayText;
    added->gatewayAddress = parent->gatewayAddress;
    added->deviceAttribute = parent->deviceAttribute;
    added->deviceNumber = parent->deviceNumber;
    added->element = name;
    added->hasElementAttribute = named;
    added->elementAttribute = attributeValue;
    added->port = added->isPort() ? added->elementAttribute : parent->port;
    return insert(parent, parent->childCount(), std::move(added));
}

void CBusTreeModel::updateSection(CBusTreeItem* section, const pugi::xml_node& element) {
    for (const pugi::xml_node& child : element.children()) {
        if (section->hasElementAttribute && std::string_view(child.name()) == "ALIAS") {
            // "PORT (A) Kitchen": only a section named with its attribute carries an alias,
            // so its own label stays what it is matched by.
            const char* alias = child.child_value();
            setLabelAndKind(section,
                            *alias != '\0' ? section->baseLabel + QLatin1Char(' ') + fromXml(alias)
                                           : section->baseLabel,
                            section->kind);
        } else if (CPropertyRows::isSection(child)) {
            findOrAddSection(section, child, CNodeKind::kRoot, false);
        }
    }
}

CBusTreeItem* CBusTreeModel::insert(CBusTreeItem* parent, int row,
                                    std::unique_ptr<CBusTreeItem> item) {
    return static_cast<CBusTreeItem*>(CTreeModel::insert(parent, row, std::move(item)));
}
