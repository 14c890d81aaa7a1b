#pragma once

#include "CProjectItem.h"

#include <pugixml.hpp>

// The device map's tree of a project in one of its two modes: the bus devices by UID
// ("KV network"), or the gateways by address ("LAN network"), each with its sections and
// their subsections. Only elements that hold elements become items; settings are listed
// beside the tree. Items with the same label under one parent are one item.
class CProjectTree {
public:
    static constexpr int kDeviceMode = 0;
    static constexpr int kGatewayMode = 1;

    static QString rootLabel(int mode);
    // The device's label: "%d " with its UID, or its address.
    static QString deviceLabel(const CProjectDevice& device);
    // A section's label: its name, or "NAME (value)" with its first attribute's value.
    static QString sectionLabel(const pugi::xml_node& element);

    // The root with what the project holds; only the root without a project.
    static CProjectItem build(const pugi::xml_document* project, int mode);

private:
    static CProjectItem deviceItem(const pugi::xml_node& element, int mode);
    static CProjectItem sectionItem(const pugi::xml_node& element, const CProjectPlace& above,
                                    const QString& label);
    // The child of parent with that label, made at the end when there is none.
    static CProjectItem& findOrAppend(CProjectItem& parent, CProjectItem item);
};
