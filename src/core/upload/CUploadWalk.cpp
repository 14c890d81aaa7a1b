#include "CUploadWalk.h"

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
                        const QByteArray& group) {
    return {{port, group, setting.name(), setting.first_attribute().value()},
            CUploadWalk::ownText(setting)};
}

}  // namespace

std::string CUploadWalk::ownText(const pugi::xml_node& element) {
    return startsWithText(element) ? element.first_child().value() : std::string();
}

std::vector<CTemplateSetting> CUploadWalk::walk(const pugi::xml_node& device) {
    std::vector<CTemplateSetting> settings;
    forEachElement(device, [&](const pugi::xml_node& top) {
        if (startsWithText(top)) {
            settings.push_back({{{}, {}, top.name(), {}}, ownText(top)});
        } else if (!top.first_attribute()) {
            forEachElement(top, [&](const pugi::xml_node& setting) {
                settings.push_back(member(setting, {}, top.name()));
            });
        } else {
            const QByteArray port = top.first_attribute().value();
            forEachElement(top, [&](const pugi::xml_node& group) {
                if (startsWithText(group)) {
                    settings.push_back({{port, {}, group.name(), {}}, ownText(group)});
                    return;
                }
                forEachElement(group, [&](const pugi::xml_node& setting) {
                    settings.push_back(member(setting, port, group.name()));
                });
            });
        }
    });
    return settings;
}
