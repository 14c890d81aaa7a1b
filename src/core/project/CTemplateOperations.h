#pragma once

#include "core/project/CProjectPlace.h"
#include "core/project/CTemplatePlan.h"

#include <QString>
#include <optional>
#include <pugixml.hpp>
#include <string>

// The changes the device map view and the command-line tool make to a project, worked
// out on the project as it stands (CUbrixVorelDoc carries them out). Each raises CXmlError
// when the device or section it is given is not in the project.
class CValidationSchema;

class CTemplateOperations {
public:
    static QString noFreeAddress(const CProjectDevice& device);
    static QString addressTaken(const CProjectDevice& device, const QString& address);
    static QString notAnAddress(const CProjectDevice& device, const QString& typed);
    static const char* const kModelUnusable;
    static const char* const kNoPlaceholder;
    static const char* const kNoUid;

    // A deep copy of the device at the end of its parent, under the next free address.
    static CTemplatePlan copy(const pugi::xml_document& project, const CProjectDevice& device);
    static CTemplatePlan remove(const pugi::xml_document& project, const CProjectDevice& device);
    // The device under the typed address in its canonical form. A text in no valid form
    // and an address another device of the project has are refused.
    static CTemplatePlan changeAddress(const pugi::xml_document& project,
                                       const CProjectDevice& device, const QString& typed);
    // The setting key (with index: the one whose first attribute holds it) of a section a
    // new value. The value passes the value validator, and the schema (looked up with the
    // section's port) must let it be set there: free text, or one of its options.
    static CTemplatePlan setValue(const pugi::xml_document& project,
                                  const CValidationSchema& schema, const CProjectPlace& place,
                                  const QString& key, const std::optional<QString>& index,
                                  const QString& value);
    // The model's gateway (under the first free placeholder 0.0.0.n) or bus device (under
    // the lowest free UID) at the end of the project's Device_Configuration.
    static CTemplatePlan addModel(const pugi::xml_document& project,
                                  const pugi::xml_document& model, bool gateway);

private:
    // The plan's edit under the name Edit > Undo gives it.
    static CTemplatePlan named(CTemplatePlan plan, std::string name);
    static pugi::xml_node require(const pugi::xml_document& project, const CProjectDevice& device);
    static bool isTaken(const pugi::xml_document& project, const CProjectDevice& device);
    // A copy of element under device's address, as the last child of parent.
    static CTemplatePlan appendUnder(const pugi::xml_node& parent, const pugi::xml_node& element,
                                     const CProjectDevice& device);
};
