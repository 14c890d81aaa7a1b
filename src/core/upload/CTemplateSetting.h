#pragma once

#include "core/address/CSettingAddress.h"

#include <string>

// One setting of a project device as the upload's walk meets it: where it lives (a group
// member's first attribute, whatever its name, is the index) and the value the project
// gives it, both as the template's UTF-8 texts.
struct CTemplateSetting {
    CSettingAddress address;
    std::string value;
};
