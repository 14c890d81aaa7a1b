#pragma once

#include <pugixml.hpp>

// Text of blanks only beside child elements, as a character reference in a file ("&#9;")
// or from replies that gave a blank setting settings of its own. An indented file cannot
// tell it from its own indentation, so it would not survive a save and a load; nothing
// reads a group's own text. Loading drops it, so what loads is what a save keeps.
class CXmlBlankText {
public:
    // Drops the blank text among the node's own children (not below them); the loader
    // calls it for each element that has child elements as it checks the document.
    static void dropBeside(pugi::xml_node node);
    static bool isBlank(const char* text);
};
