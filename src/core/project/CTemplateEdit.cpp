#include "core/project/CTemplateEdit.h"

#include "core/common/CXmlEdit.h"
#include "core/common/CXmlError.h"

namespace {

std::size_t childCount(const pugi::xml_node& parent) {
    return static_cast<std::size_t>(std::distance(parent.begin(), parent.end()));
}

pugi::xml_node childAt(const pugi::xml_node& parent, std::size_t position) {
    std::size_t index = 0;
    for (const pugi::xml_node& child : parent.children()) {
        if (index++ == position) {
            return child;
        }
    }
    return {};
}

std::shared_ptr<const pugi::xml_document> copyOf(const pugi::xml_node& node) {
    auto copy = std::make_shared<pugi::xml_document>();
    copy->append_copy(node);
    return copy;
}

}  // namespace

CTemplateEdit::Path CTemplateEdit::pathOf(const pugi::xml_node& node) {
    Path path;
    for (pugi::xml_node at = node; at.parent(); at = at.parent()) {
        std::size_t position = 0;
        for (pugi::xml_node before = at.previous_sibling(); before;
             before = before.previous_sibling()) {
            ++position;
        }
        path.insert(path.begin(), position);
    }
    return path;
}

pugi::xml_node CTemplateEdit::resolve(pugi::xml_document& document, const Path& path) {
    pugi::xml_node node = document;
    for (const std::size_t position : path) {
        node = childAt(node, position);
        if (!node) {
            throw CXmlError("the project no longer holds the edited node");
        }
    }
    return node;
}

CTemplateEdit CTemplateEdit::setText(const pugi::xml_node& element, std::string text) {
    CTemplateEdit edit(Kind::SetText, pathOf(element));
    edit.m_before = element.text().get();
    edit.m_after = std::move(text);
    return edit;
}

CTemplateEdit CTemplateEdit::setAttribute(const pugi::xml_node& element, std::string name,
                                          std::string value) {
    CTemplateEdit edit(Kind::SetAttribute, pathOf(element));
    edit.m_before = element.attribute(name.c_str()).value();
    edit.m_name = std::move(name);
    edit.m_after = std::move(value);
    return edit;
}

CTemplateEdit CTemplateEdit::append(const pugi::xml_node& parent, const pugi::xml_node& content) {
    CTemplateEdit edit(Kind::Insert, pathOf(parent));
    edit.m_position = childCount(parent);
    edit.m_content = copyOf(content);
    return edit;
}

CTemplateEdit CTemplateEdit::remove(const pugi::xml_node& node) {
    CTemplateEdit edit(Kind::Remove, pathOf(node.parent()));
    const Path own = pathOf(node);
    edit.m_position = own.back();
    edit.m_content = copyOf(node);
    return edit;
}

void CTemplateEdit::writeText(pugi::xml_node element, const std::string& text) {
    // A setting holds text only, so nothing else goes with the old text.
    (void)CXmlEdit::setText(element, text);
}

void CTemplateEdit::setAttribute(pugi::xml_node element, const std::string& value) const {
    CXmlEdit::setAttribute(element, m_name, value);
}

void CTemplateEdit::insertContent(pugi::xml_document& document) const {
    pugi::xml_node parent = resolve(document, m_path);
    const pugi::xml_node content = m_content->first_child();
    const pugi::xml_node before = childAt(parent, m_position);
    const pugi::xml_node inserted =
        before ? parent.insert_copy_before(content, before) : parent.append_copy(content);
    if (!inserted) {
        throw CXmlError("cannot insert into the project");
    }
}

void CTemplateEdit::removeContent(pugi::xml_document& document) const {
    CXmlEdit::remove(childAt(resolve(document, m_path), m_position));
}

void CTemplateEdit::apply(pugi::xml_document& document) const {
    switch (m_kind) {
        case Kind::SetText:
            writeText(resolve(document, m_path), m_after);
            break;
        case Kind::SetAttribute:
            setAttribute(resolve(document, m_path), m_after);
            break;
        case Kind::Insert:
            insertContent(document);
            break;
        case Kind::Remove:
            removeContent(document);
            break;
    }
}

void CTemplateEdit::revert(pugi::xml_document& document) const {
    switch (m_kind) {
        case Kind::SetText:
            writeText(resolve(document, m_path), m_before);
            break;
        case Kind::SetAttribute:
            setAttribute(resolve(document, m_path), m_before);
            break;
        case Kind::Insert:
            removeContent(document);
            break;
        case Kind::Remove:
            insertContent(document);
            break;
    }
}
