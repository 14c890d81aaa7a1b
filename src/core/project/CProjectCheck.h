#pragma once

#include "core/project/CProjectFinding.h"

#include <pugixml.hpp>
#include <vector>

class CValidationSchema;
struct CProjectStep;

// Every setting of a project held against the validation schema, as an upload reads them:
// what it would skip or could not send. A device without a type, or of a type the schema
// does not know, is one finding; otherwise each setting that the schema has no entry for
// (looked up with its port), each value that is none of its options, each value that
// the value validator refuses, which could not go out in a command, and each value that
// is not of its setting's value type.
class CProjectCheck {
public:
    static std::vector<CProjectFinding> run(const pugi::xml_document& project,
                                            const CValidationSchema& schema);

private:
    struct Place {
        std::string port;
        std::string group;
        QString path;  // port and group as a command names them, each followed by "."
    };

    static void checkDevice(const pugi::xml_node& element, const CProjectDevice& device,
                            const CValidationSchema& schema, std::vector<CProjectFinding>& found);
    static void checkSection(const pugi::xml_node& section, const Place& place,
                             const std::string& type, const CProjectDevice& device,
                             const CValidationSchema& schema, std::vector<CProjectFinding>& found);
    // The place of a section's settings, one step below place.
    static Place inside(const Place& place, const CProjectStep& step);
    static QString problemOf(const pugi::xml_node& setting, const std::string& value);
};
