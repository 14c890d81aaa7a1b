#pragma once

#include "core/upload/CTemplateSetting.h"

#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The walk of one project device (a UBRIX or DEVICE element of the template): every
// setting the upload visits, in the order it visits them. The device's children take one
// of three shapes, tested in this order:
//   setting: its first child is text; its value is that text, it has no index;
//   group:   no attributes; every element inside is a setting of that group;
//   port:    attributes, the first naming the port; every element inside is a group, or a
//            setting of the port itself when its first child is text.
// A group member's first attribute, whatever its name, is its index. Settings with no
// text are visited too (the upload counts them and passes them over).
class CUploadWalk {
public:
    // The names met so far: a walk over thousands of devices holds one copy of each.
    class Names {
    public:
        QByteArray of(const char* name);

    private:
        struct Hash {
            using is_transparent = void;
            size_t operator()(std::string_view text) const {
                return std::hash<std::string_view>{}(text);
            }
        };
        std::unordered_map<std::string, QByteArray, Hash, std::equal_to<>> m_known;
    };

    static std::vector<CTemplateSetting> walk(const pugi::xml_node& device);
    static std::vector<CTemplateSetting> walk(const pugi::xml_node& device, Names& names);

    // The element's own text: its first child when that is text, else empty.
    static std::string ownText(const pugi::xml_node& element);
};
