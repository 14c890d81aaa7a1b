#pragma once

#include <pugixml.hpp>

// Text of blanks only beside child elements, as a character reference in a file ("&#9;")
// or from replies that gave a blank setting settings of its own. An indented file cannot
// tell it from its own indentation, so it would not survive a save and a load; nothing
// reads a group's own text. Loading drops it, so what loads is what a save keeps.
class CXmlBlankText {
public:
    static void dropBesideElements(pugi::xml_node node);

private:
    static bool isBlank(const char* text);
};
