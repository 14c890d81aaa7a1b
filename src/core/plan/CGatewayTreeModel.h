#pragma once

#include "core/plan/CGatewayTreeItem.h"
#include "core/tree/CTreeModel.h"

#include <pugixml.hpp>

// The tree of the gateway configuration view: every gateway of Device_Configuration with
// its label, its sections and their subsections, in the plan's order. Gateways whose IP is
// no dotted address are left out (nothing could reach them). A setting without any content
// (a cleared NAME) is a setting, never a section, and an empty NAME keeps the address label.
class CGatewayTreeModel : public CTreeModelOf<CGatewayTreeItem> {
    Q_OBJECT

public:
    static constexpr const char* kLanRoot = "LAN network";
    static constexpr const char* kBusRoot = "KV network";
    static constexpr const char* kAddressLabel = "ip= \"%1\" ";

    explicit CGatewayTreeModel(QObject* parent = nullptr);

    // Only a root of that label.
    void reset(const char* rootLabel);
    // Adds what the plan has and the tree has not, at the end; a gateway's label follows its
    // NAME. Nothing goes.
    void addMissing(const pugi::xml_document& plan);
    // The plan was replaced: the tree becomes the plan's, under the same root.
    void rebuild(const pugi::xml_document& plan);

private:
    std::unique_ptr<CGatewayTreeItem> build(const pugi::xml_document& plan) const;
};
