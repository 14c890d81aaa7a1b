#include "core/common/CXmlBlankText.h"

void CXmlBlankText::dropBeside(pugi::xml_node node) {
    bool hasElements = false;
    for (pugi::xml_node child = node.first_child(); child && !hasElements;
         child = child.next_sibling()) {
        hasElements = child.type() == pugi::node_element;
    }
    for (pugi::xml_node child = node.first_child(); hasElements && child;) {
        const pugi::xml_node next = child.next_sibling();
        if (child.type() == pugi::node_pcdata && isBlank(child.value())) {
            node.remove_child(child);
        }
        child = next;
    }
}

bool CXmlBlankText::isBlank(const char* text) {
    for (; *text != '\0'; ++text) {
        if (*text != ' ' && *text != '\t' && *text != '\r' && *text != '\n') {
            return false;
        }
    }
    return true;
}
