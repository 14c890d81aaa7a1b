#pragma once

#include "CTemplateSetting.h"

#include <pugixml.hpp>
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
    static std::vector<CTemplateSetting> walk(const pugi::xml_node& device);

    // The element's own text: its first child when that is text, else empty.
    static std::string ownText(const pugi::xml_node& element);
};
