#pragma once

#include <string>

// One setting of a project device as the upload's walk meets it: where it lives and the
// value the project gives it, all as the template's UTF-8 texts.
struct CTemplateSetting {
    std::string port;       // the port element's first attribute; empty outside a port
    std::string group;      // empty for a setting directly under the device or port
    std::string key;        // the setting element's name
    std::string qualifier;  // a group member's first attribute (the index); may be empty
    std::string value;
};
