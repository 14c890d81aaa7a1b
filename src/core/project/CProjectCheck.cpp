#include "core/project/CProjectCheck.h"

#include "core/plan/CPropertyRows.h"
#include "core/plan/CValidationSchema.h"
#include "core/project/CProjectLookup.h"
#include "core/protocol/CValueValidator.h"

#include <QStringList>

using Role = CProjectDevice::Role;

std::vector<CProjectFinding> CProjectCheck::run(const pugi::xml_document& project,
                                                const CValidationSchema& schema) {
    std::vector<CProjectFinding> found;
    for (const Role role : {Role::Gateway, Role::BusDevice}) {
        for (const pugi::xml_node& element : CProjectLookup::devices(project, role)) {
            checkDevice(element, CProjectLookup::deviceOf(element, role), schema, found);
        }
    }
    return found;
}

void CProjectCheck::checkDevice(const pugi::xml_node& element, const CProjectDevice& device,
                                const CValidationSchema& schema,
                                std::vector<CProjectFinding>& found) {
    const std::string type = CProjectLookup::typeOf(element);
    if (type.empty()) {
        found.push_back({device, {}, {}, QStringLiteral("no TYPE: nothing of it is uploaded")});
        return;
    }
    if (!schema.device(type)) {
        found.push_back({device,
                         {},
                         QString::fromStdString(type),
                         QStringLiteral("a type the schema does not know: nothing of it is "
                                        "uploaded")});
        return;
    }
    checkSection(element, {}, type, device, schema, found);
}

// Depth first in document order, the sections still open on a stack of their own: a
// project's nesting never reaches the call stack.
void CProjectCheck::checkSection(const pugi::xml_node& section, const Place& place,
                                 const std::string& type, const CProjectDevice& device,
                                 const CValidationSchema& schema,
                                 std::vector<CProjectFinding>& found) {
    struct Open {
        pugi::xml_node next;  // the next child to look at
        Place place;
    };
    std::vector<Open> open{{section.first_child(), place}};
    while (!open.empty()) {
        const pugi::xml_node child = open.back().next;
        if (!child) {
            open.pop_back();
            continue;
        }
        open.back().next = child.next_sibling();
        if (CPropertyRows::isSection(child)) {
            Place inner = inside(open.back().place, CProjectLookup::stepOf(child));
            open.push_back({child.first_child(), std::move(inner)});
            continue;
        }
        const Place& at = open.back().place;
        // The device's own TYPE names its entry, and an empty setting carries no value:
        // an upload sends neither.
        const bool deviceType = at.path.isEmpty() && std::string_view(child.name()) == "TYPE";
        if (!CPropertyRows::isLeaf(child) || deviceType || !child.first_child()) {
            continue;
        }
        const std::string value = child.text().get();
        const QString problem =
            problemOf(schema.setting(type, at.port, at.group, child.name()), value);
        if (problem.isEmpty()) {
            continue;
        }
        QString path = at.path + QString::fromUtf8(child.name());
        if (const pugi::xml_attribute index = child.first_attribute()) {
            path += QLatin1Char('.') + QString::fromUtf8(index.value());
        }
        found.push_back({device, path, QString::fromStdString(value), problem});
    }
}

CProjectCheck::Place CProjectCheck::inside(const Place& place, const CProjectStep& step) {
    Place inner = place;
    if (step.isPort()) {
        inner.port = step.value;
        inner.path += QString::fromStdString(step.value) + QLatin1Char('.');
    } else {
        inner.group = step.name;
        inner.path += QString::fromStdString(step.name) + QLatin1Char('.');
    }
    return inner;
}

QString CProjectCheck::problemOf(const pugi::xml_node& setting, const std::string& value) {
    if (!setting) {
        return QStringLiteral("not in the schema: not uploaded");
    }
    if (CValidationSchema::control(setting) == CValidationSchema::Control::Combo &&
        CValidationSchema::lastOptionIndex(setting, value) < 0) {
        QStringList options;
        for (const std::string& option : CValidationSchema::options(setting)) {
            options << QString::fromStdString(option);
        }
        return QStringLiteral("not one of %1: not uploaded").arg(options.join(QLatin1Char(' ')));
    }
    const CValueValidator::Result checked = CValueValidator::checkUtf8(value);
    if (!checked.accepted()) {
        return checked.refusal;
    }
    if (const QString problem =
            CValidationSchema::valueType(setting).problem(QString::fromStdString(value));
        !problem.isEmpty()) {
        return problem + QStringLiteral(": not uploaded");
    }
    return {};
}
