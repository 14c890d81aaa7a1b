#pragma once

#include <pugixml.hpp>
#include <string_view>

// Changes to a document that refuse what would make it malformed, by raising CXmlError
// where pugixml itself would silently accept or silently do nothing.
class CXmlEdit {
public:
    static pugi::xml_node appendElement(pugi::xml_node parent, std::string_view name);
    static pugi::xml_node insertElementBefore(pugi::xml_node parent, std::string_view name,
                                              pugi::xml_node reference);
    // Sets (or replaces) the attribute; the value must be clean text.
    static void setAttribute(pugi::xml_node element, std::string_view name, std::string_view value);
    // Returns true when elements or other nodes below the element had to go.
    [[nodiscard]] static bool setText(pugi::xml_node element, std::string_view text);
    static void remove(pugi::xml_node node);
    // A text that is about to be quoted in a '...' literal of a selection.
    static void requireQuotable(std::string_view text);

private:
    static void requireName(std::string_view name);
    static void requireCleanText(std::string_view text);
};
