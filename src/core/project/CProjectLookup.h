#pragma once

#include "core/project/CProjectPlace.h"

#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

// Finding things in a project (the template) by walking its elements. Texts of the
// project are compared, never spliced into an XPath, so a quote in an address or a type
// is just a character.
class CProjectLookup {
public:
    // The document element's Device_Configuration; null when there is none.
    static pugi::xml_node deviceConfiguration(const pugi::xml_document& project);
    // The devices of one role in document order: the elements of Device_Configuration that
    // carry the role's attribute.
    static std::vector<pugi::xml_node> devices(const pugi::xml_document& project,
                                               CProjectDevice::Role role);
    // The first device with exactly this id; null when the project has none.
    static pugi::xml_node find(const pugi::xml_document& project, const CProjectDevice& device);
    // The section of a place; null when the device or a step is missing.
    static pugi::xml_node section(const pugi::xml_document& project, const CProjectPlace& place);
    // The setting named key in a section; with an index, the one whose first attribute holds
    // the index ("KEY (index)"). Null when there is none.
    static pugi::xml_node setting(const pugi::xml_node& section, std::string_view key,
                                  const std::optional<std::string>& index);

    // The device's model: the text of its TYPE leaf; empty when it has none.
    static std::string typeOf(const pugi::xml_node& device);
    static CProjectDevice deviceOf(const pugi::xml_node& element, CProjectDevice::Role role);
    static CProjectStep stepOf(const pugi::xml_node& element);
};
