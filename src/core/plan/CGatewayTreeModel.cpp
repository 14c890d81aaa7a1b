#include "core/plan/CGatewayTreeModel.h"

#include "core/common/CXPathQuery.h"
#include "core/plan/CPropertyLabel.h"
#include "core/plan/CPropertyRows.h"
#include "core/transport/CIpv4Address.h"
#include "core/tree/CNodeKind.h"

namespace {

using Role = CGatewayTreeItem::Role;

std::unique_ptr<CGatewayTreeItem> makeItem(Role role, QString label, quint32 address) {
    auto item = std::make_unique<CGatewayTreeItem>(role);
    item->kind = role == Role::Gateway
                     ? CNodeKind::kGateway
                     : CNodeKind::of(label.toStdString(), CNodeKind::Tree::Gateways);
    item->label = std::move(label);
    item->address = address;
    return item;
}

void addSection(CGatewayTreeItem* gateway, const pugi::xml_node& element) {
    const pugi::xml_attribute attribute = element.first_attribute();
    const bool isPort = attribute && std::string_view(element.name()) == "PORT";
    CGatewayTreeItem* section = gateway->findOrAppend(
        makeItem(isPort ? Role::Port : Role::Section,
                 CPropertyLabel::make(element.name(), attribute.value(), !attribute.empty()),
                 gateway->address));
    for (const pugi::xml_node& child : element.children()) {
        if (CPropertyRows::isSection(child)) {
            section->findOrAppend(
                makeItem(Role::Section, QString::fromUtf8(child.name()), gateway->address));
        }
    }
}

}  // namespace

CGatewayTreeModel::CGatewayTreeModel(QObject* parent)
    : CTreeModelOf(std::make_unique<CGatewayTreeItem>(Role::Root), parent) {
    rootItem()->label = QString::fromLatin1(kLanRoot);
}

void CGatewayTreeModel::reset(const char* rootLabel) {
    clear(QString::fromLatin1(rootLabel));
}

void CGatewayTreeModel::addMissing(const pugi::xml_document& plan) {
    merge(*build(plan), Merge::AddMissing);
}

void CGatewayTreeModel::rebuild(const pugi::xml_document& plan) {
    merge(*build(plan), Merge::Replace);
}

std::unique_ptr<CGatewayTreeItem> CGatewayTreeModel::build(const pugi::xml_document& plan) const {
    auto root = std::make_unique<CGatewayTreeItem>(Role::Root);
    root->label = this->root()->label;
    for (const pugi::xpath_node& hit :
         CXPathQuery::selectFixed(plan, "//Device_Configuration/UBRIX[@IP]")) {
        const pugi::xml_node element = hit.node();
        const char* ip = element.attribute("IP").value();
        bool valid = false;
        const quint32 address = CIpv4Address::fromDotted(ip, &valid);
        if (!valid) {
            continue;
        }
        CGatewayTreeItem* gateway = root->findOrAppend(makeItem(Role::Gateway, {}, address));
        gateway->label = QString::fromLatin1(kAddressLabel).arg(QString::fromUtf8(ip));
        for (const pugi::xml_node& child : element.children()) {
            if (child.type() == pugi::node_element && !child.first_attribute() &&
                std::string_view(child.name()) == "NAME" && *child.text().get() != '\0') {
                gateway->label = QString::fromUtf8(child.text().get());
            }
            if (CPropertyRows::isSection(child)) {
                addSection(gateway, child);
            }
        }
    }
    return root;
}
