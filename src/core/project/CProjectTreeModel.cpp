#include "core/project/CProjectTreeModel.h"

#include "core/common/CXPathNumber.h"
#include "core/plan/CPropertyLabel.h"
#include "core/plan/CPropertyRows.h"
#include "core/project/CProjectLookup.h"
#include "core/tree/CNodeKind.h"

namespace {

using Role = CProjectTreeItem::Role;

std::unique_ptr<CProjectTreeItem> sectionItem(const pugi::xml_node& element,
                                              const CProjectPlace& above, const QString& label) {
    auto item = std::make_unique<CProjectTreeItem>(
        CProjectLookup::stepOf(element).isPort() ? Role::Port : Role::Section);
    item->place = above;
    item->place.steps.push_back(CProjectLookup::stepOf(element));
    item->label = label;
    item->kind = CNodeKind::of(label.toStdString(), CNodeKind::Tree::Project);
    return item;
}

QString sectionLabel(const pugi::xml_node& element) {
    const pugi::xml_attribute first = element.first_attribute();
    return CPropertyLabel::make(element.name(), first.value(), !first.empty());
}

void setPlaceDevice(CProjectTreeItem* item, const CProjectDevice& device) {
    item->place.device = device;
    for (int row = 0; row < item->childCount(); ++row) {
        setPlaceDevice(item->child(row), device);
    }
}

}  // namespace

CProjectTreeModel::CProjectTreeModel(QObject* parent)
    : CTreeModelOf(std::make_unique<CProjectTreeItem>(Role::Root), parent) {
    rootItem()->label = rootLabel(kDeviceMode);
}

QString CProjectTreeModel::rootLabel(int mode) {
    return mode == kGatewayMode ? QStringLiteral("LAN network") : QStringLiteral("KV network");
}

QString CProjectTreeModel::deviceLabel(const CProjectDevice& device) {
    if (device.isGateway()) {
        return QString::fromStdString(device.id);
    }
    return QString::number(CXPathNumber::leadingInteger(device.id)) + QLatin1Char(' ');
}

void CProjectTreeModel::rebuild(const pugi::xml_document* project, int mode) {
    merge(*build(project, mode), Merge::Replace);
}

void CProjectTreeModel::addMissing(const pugi::xml_document& project, int mode) {
    merge(*build(&project, mode), Merge::AddMissing);
}

void CProjectTreeModel::readdress(const CProjectDevice& from, const CProjectDevice& to) {
    for (int row = 0; row < root()->childCount(); ++row) {
        CProjectTreeItem* device = rootItem()->child(row);
        if (device->place.device == from) {
            setPlaceDevice(device, to);
            device->label = deviceLabel(to);
            itemChanged(device);
            return;
        }
    }
}

const CProjectTreeItem* CProjectTreeModel::deviceNumbered(long long uid) const {
    for (int row = 0; row < root()->childCount(); ++row) {
        const CProjectTreeItem* device = root()->child(row);
        if (CXPathNumber::leadingInteger(device->place.device.id) == uid) {
            return device;
        }
    }
    return nullptr;
}

const CProjectTreeItem* CProjectTreeModel::deviceItem(const CProjectDevice& device) const {
    for (int row = 0; row < root()->childCount(); ++row) {
        if (root()->child(row)->place.device == device) {
            return root()->child(row);
        }
    }
    return nullptr;
}

QVariant CProjectTreeModel::data(const QModelIndex& index, int role) const {
    if (role == kAddressRole) {
        const CProjectTreeItem* shown = item(index);
        return shown != nullptr ? QString::fromStdString(shown->place.device.id) : QVariant();
    }
    return CTreeModel::data(index, role);
}

Qt::ItemFlags CProjectTreeModel::flags(const QModelIndex& index) const {
    const CProjectTreeItem* shown = item(index);
    const Qt::ItemFlags flags = CTreeModel::flags(index);
    return shown != nullptr && shown->isDevice() ? flags | Qt::ItemIsEditable : flags;
}

std::unique_ptr<CProjectTreeItem> CProjectTreeModel::build(const pugi::xml_document* project,
                                                           int mode) const {
    auto root = std::make_unique<CProjectTreeItem>(Role::Root);
    root->label = rootLabel(mode);
    if (project == nullptr) {
        return root;
    }
    const bool gateways = mode == kGatewayMode;
    const auto deviceRole =
        gateways ? CProjectDevice::Role::Gateway : CProjectDevice::Role::BusDevice;
    for (const pugi::xml_node& element : CProjectLookup::devices(*project, deviceRole)) {
        auto made = std::make_unique<CProjectTreeItem>(gateways ? Role::Gateway : Role::Device);
        made->place.device = CProjectLookup::deviceOf(element, deviceRole);
        made->label = deviceLabel(made->place.device);
        made->kind = CNodeKind::kGateway;
        CProjectTreeItem* device = root->findOrAppend(std::move(made));
        for (const pugi::xml_node& child : element.children()) {
            if (!gateways && std::string_view(child.name()) == "TYPE") {
                // A type the table does not know keeps the icon of a device, not the root's.
                const int kind = CNodeKind::of(child.text().get(), CNodeKind::Tree::Project);
                device->kind = kind != CNodeKind::kRoot ? kind : CNodeKind::kGateway;
            }
            if (!CPropertyRows::isSection(child)) {
                continue;
            }
            CProjectTreeItem* group =
                device->findOrAppend(sectionItem(child, device->place, sectionLabel(child)));
            for (const pugi::xml_node& grandchild : child.children()) {
                if (CPropertyRows::isSection(grandchild)) {
                    group->findOrAppend(sectionItem(grandchild, group->place,
                                                    QString::fromUtf8(grandchild.name())));
                }
            }
        }
    }
    return root;
}
