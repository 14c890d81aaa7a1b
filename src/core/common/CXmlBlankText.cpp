#include "core/common/CXmlBlankText.h"

#include <cstring>
#include <string>

void CXmlBlankText::dropBeside(pugi::xml_node node) {
    const pugi::xml_node first = node.first_child();
    if (!first || !first.next_sibling()) {
        return;
    }
    for (pugi::xml_node child = first; child;) {
        const pugi::xml_node next = child.next_sibling();
        if (child.type() == pugi::node_pcdata && isBlank(child.value())) {
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
