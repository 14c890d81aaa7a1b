#pragma once

#include <memory>
#include <pugixml.hpp>
#include <string>
#include <vector>

// One reversible change of a project: a setting's new text, a device's new address, a
// device added or a device removed. An edit names its nodes by their child positions from
// the document; that stays true because edits are undone and done again strictly in
// order, and nothing else changes the project. apply() and revert() raise CXmlError when
// the document no longer has the node an edit names.
class CTemplateEdit {
public:
    enum class Kind { SetText, SetAttribute, Insert, Remove };

    static CTemplateEdit setText(const pugi::xml_node& element, std::string text);
    static CTemplateEdit setAttribute(const pugi::xml_node& element, std::string name,
                                      std::string value);
    // A copy of content becomes the last child of parent.
    static CTemplateEdit append(const pugi::xml_node& parent, const pugi::xml_node& content);
    static CTemplateEdit remove(const pugi::xml_node& node);

    Kind kind() const { return m_kind; }
    // What the user did, as Edit > Undo names it ("Change Address").
    const std::string& name() const { return m_label; }
    void setName(std::string name) { m_label = std::move(name); }
    // Whether the edit adds, removes or readdresses a device, so that trees are rebuilt;
    // a setting's new text changes no tree.
    bool restructures() const { return m_kind != Kind::SetText; }

    void apply(pugi::xml_document& document) const;
    void revert(pugi::xml_document& document) const;

private:
    using Path = std::vector<std::size_t>;

    CTemplateEdit(Kind kind, Path path) : m_kind(kind), m_path(std::move(path)) {}

    static Path pathOf(const pugi::xml_node& node);
    static pugi::xml_node resolve(pugi::xml_document& document, const Path& path);
    static void writeText(pugi::xml_node element, const std::string& text);
    void setAttribute(pugi::xml_node element, const std::string& value) const;
    void insertContent(pugi::xml_document& document) const;
    void removeContent(pugi::xml_document& document) const;

    Kind m_kind;
    // The element changed, or for Insert and Remove the parent.
    Path m_path;
    // Insert and Remove: the child's position in its parent, and a copy of the child.
    std::size_t m_position = 0;
    std::shared_ptr<const pugi::xml_document> m_content;
    std::string m_name;  // SetAttribute
    std::string m_label;
    std::string m_before;
    std::string m_after;
};
