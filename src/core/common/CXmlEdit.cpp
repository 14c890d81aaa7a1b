#include "core/common/CXmlEdit.h"

#include "core/common/CXmlError.h"
#include "core/common/CXmlText.h"

#include <string>

void CXmlEdit::requireName(std::string_view name) {
    if (!CXmlText::isValidName(name)) {
        throw CXmlError("invalid name: " + std::string(name));
    }
}

void CXmlEdit::requireCleanText(std::string_view text) {
    if (!CXmlText::isCleanText(text)) {
        throw CXmlError("invalid character in text");
    }
}

void CXmlEdit::requireQuotable(std::string_view text) {
    if (!CXmlText::isQuotable(text)) {
        throw CXmlError("unterminated literal: " + std::string(text));
    }
}

pugi::xml_node CXmlEdit::appendElement(pugi::xml_node parent, std::string_view name) {
    requireName(name);
    if (!parent) {
        throw CXmlError("no parent for " + std::string(name));
    }
    pugi::xml_node element = parent.append_child(std::string(name).c_str());
    if (!element) {
        throw CXmlError("cannot append " + std::string(name));
    }
    return element;
}

pugi::xml_node CXmlEdit::insertElementBefore(pugi::xml_node parent, std::string_view name,
                                             pugi::xml_node reference) {
    requireName(name);
    if (!parent || reference.parent() != parent) {
        throw CXmlError("no parent for " + std::string(name));
    }
    pugi::xml_node element = parent.insert_child_before(std::string(name).c_str(), reference);
    if (!element) {
        throw CXmlError("cannot insert " + std::string(name));
    }
    return element;
}

void CXmlEdit::setAttribute(pugi::xml_node element, std::string_view name, std::string_view value) {
    requireName(name);
    requireCleanText(value);
    if (element.type() != pugi::node_element) {
        throw CXmlError("attribute on a non-element");
    }
    const std::string key(name);
    pugi::xml_attribute attribute = element.attribute(key.c_str());
    if (!attribute) {
        attribute = element.append_attribute(key.c_str());
    }
    attribute.set_value(value.data(), value.size());
}

bool CXmlEdit::setText(pugi::xml_node element, std::string_view text) {
    requireCleanText(text);
    if (element.type() != pugi::node_element) {
        throw CXmlError("text of a non-element");
    }
    // Like a DOM's text property: the element ends up with exactly one text child, or
    // none for an empty text (which is how an empty element reads back from a file).
    pugi::xml_node first = element.first_child();
    if (!text.empty() && first.type() == pugi::node_pcdata && !first.next_sibling()) {
        first.set_value(text.data(), text.size());
        return false;
    }
    bool removedOthers = false;
    while (pugi::xml_node child = element.first_child()) {
        removedOthers = removedOthers || child.type() != pugi::node_pcdata;
        element.remove_child(child);
    }
    if (!text.empty() &&
        !element.append_child(pugi::node_pcdata).set_value(text.data(), text.size())) {
        throw CXmlError("cannot set text");
    }
    return removedOthers;
}

void CXmlEdit::remove(pugi::xml_node node) {
    if (!node || !node.parent().remove_child(node)) {
        throw CXmlError("cannot remove node");
    }
}
