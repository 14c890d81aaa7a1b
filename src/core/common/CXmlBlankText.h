#pragma once

#include <pugixml.hpp>

// Text that a save and a load would not give back as it was. The parser keeps blank text
// only when it is its element's only child (any other is taken for indentation), and an
// indented save adds blanks beside every child element, comment or processing
// instruction; a character reference ("&#9;", "&#13;") or a reply that gave a blank
// setting settings of its own makes such text all the same. A CR in text is saved as it
// is and read back as a line end. Loading mends both, so what loads is what a save keeps;
// nothing reads a group's own text.
class CXmlBlankText {
public:
    // Whether the text node is such text: blank, and not its element's only child. The
    // loader drops it as it checks the document.
    static bool isLostInSaving(const pugi::xml_node& text);
    // Drops that text among the node's own children (not below them).
    static void dropBeside(pugi::xml_node node);
    // Makes each CR of a text a line end, as a save and a load would (CR LF is one).
    static void endLinesAsReadBack(pugi::xml_node text);
    static bool isBlank(const char* text);
};
