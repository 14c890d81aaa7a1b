#include "core/upload/CUploadWalk.h"

namespace {

bool startsWithText(const pugi::xml_node& element) {
    const pugi::xml_node first = element.first_child();
    return first.type() == pugi::node_pcdata || first.type() == pugi::node_cdata;
}

// Element children only: comments and processing instructions carry no setting.
template <typename Visit>
void forEachElement(const pugi::xml_node& parent, Visit visit) {
    for (const pugi::xml_node& child : parent.children()) {
        if (child.type() == pugi::node_element) {
            visit(child);
        }
    }
}

CTemplateSetting member(const pugi::xml_node& setting, const QByteArray& port,
                        const QByteArray& group, CUploadWalk::Names& names) {
    return {{port, group, names.of(setting.name()), names.of(setting.first_attribute().value())},
            CUploadWalk::ownText(setting)};
}

}  // namespace

std::string CUploadWalk::ownText(const pugi::xml_node& element) {
    return startsWithText(element) ? element.first_child().value() : std::string();
}

QByteArray CUploadWalk::Names::of(const char* name) {
    if (*name == '\0') {
        return {};
    }
    const auto known = m_known.find(std::string_view(name));
    if (known != m_known.end()) {
        return known->second;
    }
    return m_known.emplace(name, QByteArray(name)).first->second;
}

std::vector<CTemplateSetting> CUploadWalk::walk(const pugi::xml_node& device) {
    Names names;
    return walk(device, names);
}

std::vector<CTemplateSetting> CUploadWalk::walk(const pugi::xml_node& device, Names& names) {
    std::vector<CTemplateSetting> settings;
    forEachElement(device, [&](const pugi::xml_node& top) {
        if (startsWithText(top)) {
            settings.push_back({{{}, {}, names.of(top.name()), {}}, ownText(top)});
        } else if (!top.first_attribute()) {
            const QByteArray group = names.of(top.name());
            forEachElement(top, [&](const pugi::xml_node& setting) {
                settings.push_back(member(setting, {}, group, names));
            });
        } else {
            const QByteArray port = names.of(top.first_attribute().value());
            forEachElement(top, [&](const pugi::xml_node& group) {
                if (startsWithText(group)) {
                    settings.push_back({{port, {}, names.of(group.name()), {}}, ownText(group)});
                    return;
                }
                const QByteArray groupName = names.of(group.name());
                forEachElement(group, [&](const pugi::xml_node& setting) {
                    settings.push_back(member(setting, port, groupName, names));
                });
            });
        }
    });
    return settings;
}
