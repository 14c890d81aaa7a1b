#include "core/common/CXmlBlankText.h"

#include <cstring>
#include <string>

bool CXmlBlankText::isLostInSaving(const pugi::xml_node& text) {
    return text.type() == pugi::node_pcdata && (text.previous_sibling() || text.next_sibling()) &&
           isBlank(text.value());
}

void CXmlBlankText::dropBeside(pugi::xml_node node) {
    for (pugi::xml_node child = node.first_child(); child;) {
        const pugi::xml_node next = child.next_sibling();
        if (isLostInSaving(child)) {
            node.remove_child(child);
        }
        child = next;
    }
}

void CXmlBlankText::endLinesAsReadBack(pugi::xml_node text) {
    const char* value = text.value();
    if (std::strchr(value, '\r') == nullptr) {
        return;
    }
    std::string ended;
    for (; *value != '\0'; ++value) {
        if (*value != '\r') {
            ended += *value;
        } else if (value[1] != '\n') {
            ended += '\n';
        }
    }
    text.set_value(ended.c_str());
}

bool CXmlBlankText::isBlank(const char* text) {
    for (; *text != '\0'; ++text) {
        if (*text != ' ' && *text != '\t' && *text != '\r' && *text != '\n') {
            return false;
        }
    }
    return true;
}
