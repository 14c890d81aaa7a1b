#include "CProjectTree.h"

#include "CProjectLookup.h"
#include "common/CXPathNumber.h"
#include "plan/CPropertyLabel.h"
#include "plan/CPropertyRows.h"
#include "tree/CNodeKind.h"

#include <algorithm>

QString CProjectTree::rootLabel(int mode) {
    return mode == kGatewayMode ? QStringLiteral("LAN network") : QStringLiteral("KV network");
}

QString CProjectTree::deviceLabel(const CProjectDevice& device) {
    if (device.isGateway()) {
        return QString::fromStdString(device.id);
    }
    return QString::number(CXPathNumber::leadingInteger(device.id)) + QLatin1Char(' ');
}

QString CProjectTree::sectionLabel(const pugi::xml_node& element) {
    const pugi::xml_attribute first = element.first_attribute();
    return CPropertyLabel::make(element.name(), first.value(), !first.empty());
}

CProjectItem& CProjectTree::findOrAppend(CProjectItem& parent, CProjectItem item) {
    const auto same = [&item](const CProjectItem& child) {
        return item.isDevice() ? child.place.device == item.place.device
                               : child.label == item.label;
    };
    const auto found = std::find_if(parent.children.begin(), parent.children.end(), same);
    if (found != parent.children.end()) {
        return *found;
    }
    parent.children.push_back(std::move(item));
    return parent.children.back();
}

CProjectItem CProjectTree::sectionItem(const pugi::xml_node& element, const CProjectPlace& above,
                                       const QString& label) {
    CProjectItem item;
    item.place = above;
    item.place.steps.push_back(CProjectLookup::stepOf(element));
    item.role =
        item.place.steps.back().isPort() ? CProjectItem::Role::Port : CProjectItem::Role::Group;
    item.label = label;
    item.kind = CNodeKind::of(label.toStdString(), CNodeKind::Tree::Project);
    return item;
}

CProjectItem CProjectTree::deviceItem(const pugi::xml_node& element, int mode) {
    const bool gateways = mode == kGatewayMode;
    CProjectItem item;
    item.role = gateways ? CProjectItem::Role::Gateway : CProjectItem::Role::Device;
    item.place.device = CProjectLookup::deviceOf(
        element, gateways ? CProjectDevice::Role::Gateway : CProjectDevice::Role::BusDevice);
    item.label = deviceLabel(item.place.device);
    item.kind = CNodeKind::kGateway;
    return item;
}

CProjectItem CProjectTree::build(const pugi::xml_document* project, int mode) {
    CProjectItem root;
    root.label = rootLabel(mode);
    if (project == nullptr) {
        return root;
    }
    const auto role =
        mode == kGatewayMode ? CProjectDevice::Role::Gateway : CProjectDevice::Role::BusDevice;
    for (const pugi::xml_node& element : CProjectLookup::devices(*project, role)) {
        CProjectItem& device = findOrAppend(root, deviceItem(element, mode));
        for (const pugi::xml_node& child : element.children()) {
            if (mode == kDeviceMode && std::string_view(child.name()) == "TYPE") {
                // A type the table does not know keeps the icon of a device, not the root's.
                const int kind = CNodeKind::of(child.text().get(), CNodeKind::Tree::Project);
                device.kind = kind != CNodeKind::kRoot ? kind : CNodeKind::kGateway;
            }
            if (!CPropertyRows::isSection(child)) {
                continue;
            }
            CProjectItem& group =
                findOrAppend(device, sectionItem(child, device.place, sectionLabel(child)));
            for (const pugi::xml_node& grandchild : child.children()) {
                if (CPropertyRows::isSection(grandchild)) {
                    findOrAppend(group, sectionItem(grandchild, group.place,
                                                    QString::fromUtf8(grandchild.name())));
                }
            }
        }
    }
    return root;
}
