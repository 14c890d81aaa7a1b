#include "core/project/CTemplateOperations.h"

#include "core/common/CXmlError.h"
#include "core/plan/CSecretRule.h"
#include "core/plan/CValidationSchema.h"
#include "core/project/CProjectAddress.h"
#include "core/project/CProjectLookup.h"
#include "core/protocol/CValueValidator.h"

#include <QStringList>

#include <optional>

using Role = CProjectDevice::Role;

const char* const CTemplateOperations::kModelUnusable = "Failed to open Template";
const char* const CTemplateOperations::kNoPlaceholder =
    "Every placeholder address from 0.0.0.0 to 0.0.0.255 is taken.\n"
    "Give the project's gateways their real addresses first.";
const char* const CTemplateOperations::kNoUid = "Every UID from 1 to 65535 is taken.";

namespace {

// The first 0.0.0.n, n counting up from 1 and wrapping as a byte, that is free; none when
// all 256 are taken.
std::optional<std::string> freePlaceholder(const std::function<bool(const std::string&)>& taken) {
    unsigned char n = 1;
    for (int tries = 0; tries < CProjectAddress::kCopyTries; ++tries, ++n) {
        std::string address = "0.0.0." + std::to_string(n);
        if (!taken(address)) {
            return address;
        }
    }
    return std::nullopt;
}

std::optional<std::string> lowestFreeUid(const std::function<bool(const std::string&)>& taken) {
    for (long long uid = 1; uid <= CProjectAddress::kMaxUid; ++uid) {
        std::string candidate = std::to_string(uid);
        if (!taken(candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

}  // namespace

QString CTemplateOperations::noFreeAddress(const CProjectDevice& device) {
    const QString id = QString::fromStdString(device.id);
    return device.isGateway() ? QStringLiteral(
                                    "No free address follows %1 within %2 tries: the gateway was "
                                    "not copied.")
                                    .arg(id)
                                    .arg(CProjectAddress::kCopyTries)
                              : QStringLiteral(
                                    "No free UID follows %1 within %2 tries: the device was not "
                                    "copied.")
                                    .arg(id)
                                    .arg(CProjectAddress::kCopyTries);
}

QString CTemplateOperations::addressTaken(const CProjectDevice& device, const QString& address) {
    return device.isGateway()
               ? QStringLiteral("Another gateway of the project has the address %1 already.")
                     .arg(address)
               : QStringLiteral("Another device of the project has the UID %1 already.")
                     .arg(address);
}

QString CTemplateOperations::notAnAddress(const CProjectDevice& device, const QString& typed) {
    return device.isGateway() ? QStringLiteral(
                                    "%1 is not a gateway address: type four numbers from 0 to 255 "
                                    "with dots between them, such as 10.0.0.7.")
                                    .arg(typed)
                              : QStringLiteral("%1 is not a UID: type a whole number from 1 to %2.")
                                    .arg(typed)
                                    .arg(CProjectAddress::kMaxUid);
}

CTemplatePlan CTemplateOperations::named(CTemplatePlan plan, std::string name) {
    if (plan.edit) {
        plan.edit->setName(std::move(name));
    }
    return plan;
}

pugi::xml_node CTemplateOperations::require(const pugi::xml_document& project,
                                            const CProjectDevice& device) {
    const pugi::xml_node element = CProjectLookup::find(project, device);
    if (!element) {
        throw CXmlError(std::string("no ") + device.element() + " " + device.id +
                        " in the project");
    }
    return element;
}

bool CTemplateOperations::isTaken(const pugi::xml_document& project, const CProjectDevice& device) {
    return CProjectLookup::find(project, device) != nullptr;
}

CTemplatePlan CTemplateOperations::appendUnder(const pugi::xml_node& parent,
                                               const pugi::xml_node& element,
                                               const CProjectDevice& device) {
    pugi::xml_document copy;
    pugi::xml_node made = copy.append_copy(element);
    made.attribute(device.attribute()).set_value(device.id.c_str());
    CTemplatePlan plan;
    plan.edit = CTemplateEdit::append(parent, made);
    plan.device = device;
    return plan;
}

CTemplatePlan CTemplateOperations::copy(const pugi::xml_document& project,
                                        const CProjectDevice& device) {
    const pugi::xml_node element = require(project, device);
    const std::optional<std::string> free =
        CProjectAddress::nextFree(device, [&](const std::string& candidate) {
            return isTaken(project, {device.role, candidate});
        });
    if (!free) {
        return CTemplatePlan::refused(noFreeAddress(device));
    }
    return named(appendUnder(element.parent(), element, {device.role, *free}), "Copy");
}

CTemplatePlan CTemplateOperations::remove(const pugi::xml_document& project,
                                          const CProjectDevice& device) {
    CTemplatePlan plan;
    plan.edit = CTemplateEdit::remove(require(project, device));
    plan.device = device;
    return named(std::move(plan), "Delete");
}

CTemplatePlan CTemplateOperations::changeAddress(const pugi::xml_document& project,
                                                 const CProjectDevice& device,
                                                 const QString& typed) {
    const pugi::xml_node element = require(project, device);
    const std::optional<std::string> address = CProjectAddress::canonical(device.role, typed);
    if (!address) {
        return CTemplatePlan::refused(notAnAddress(device, typed));
    }
    CTemplatePlan plan;
    plan.device = device;
    if (*address == device.id) {
        return plan;
    }
    const CProjectDevice renamed{device.role, *address};
    if (isTaken(project, renamed)) {
        return CTemplatePlan::refused(addressTaken(device, QString::fromStdString(*address)));
    }
    plan.edit = CTemplateEdit::setAttribute(element, device.attribute(), *address);
    plan.device = renamed;
    return named(std::move(plan), "Change Address");
}

CTemplatePlan CTemplateOperations::setValue(const pugi::xml_document& project,
                                            const CValidationSchema& schema,
                                            const CProjectPlace& place, const QString& key,
                                            const std::optional<QString>& index,
                                            const QString& value) {
    const pugi::xml_node section = CProjectLookup::section(project, place);
    if (!section) {
        throw CXmlError("no such section of " + place.device.id + " in the project");
    }
    const QString path = index ? QStringLiteral("%1 (%2)").arg(key, *index) : key;
    const pugi::xml_node setting = CProjectLookup::setting(
        section, key.toStdString(),
        index ? std::optional<std::string>(index->toStdString()) : std::nullopt);
    if (!setting) {
        return CTemplatePlan::refused(
            QStringLiteral("The project has no setting %1 there.").arg(path));
    }
    const std::string type = CProjectLookup::typeOf(CProjectLookup::find(project, place.device));
    const pugi::xml_node entry =
        type.empty() ? pugi::xml_node()
                     : schema.setting(type, place.port(), place.group(), key.toStdString());
    const CSettingAddress address{QByteArray::fromStdString(place.port()),
                                  QByteArray::fromStdString(place.group()), key.toUtf8(),
                                  index ? index->toUtf8() : QByteArray()};
    // A refusal names the value, but never a credential's.
    const CValueValidator::Result checked = CValueValidator::check(
        value, CValidationSchema::valueType(entry), QString::fromUtf8(address.text()),
        schema.holdsSecret(address) ? QString::fromLatin1(CSecretRule::masked(value.isEmpty()))
                                    : value);
    if (!checked.accepted()) {
        return CTemplatePlan::refused(checked.refusal);
    }
    const std::string text = value.toStdString();
    if (!CValidationSchema::allows(entry, text)) {
        if (entry && CValidationSchema::control(entry) == CValidationSchema::Control::Combo) {
            QStringList options;
            for (const std::string& option : CValidationSchema::options(entry)) {
                options << QString::fromStdString(option);
            }
            return CTemplatePlan::refused(QStringLiteral("%1 may only be one of: %2.")
                                              .arg(path, options.join(QStringLiteral(", "))));
        }
        return CTemplatePlan::refused(
            QStringLiteral("%1 cannot be changed: the schema names no value for it here.")
                .arg(path));
    }
    CTemplatePlan plan;
    plan.device = place.device;
    if (text != setting.text().get()) {
        plan.edit = CTemplateEdit::setText(setting, text);
    }
    return named(std::move(plan), "Change " + path.toStdString());
}

CTemplatePlan CTemplateOperations::addModel(const pugi::xml_document& project,
                                            const pugi::xml_document& model, bool gateway) {
    const Role role = gateway ? Role::Gateway : Role::BusDevice;
    const std::vector<pugi::xml_node> offered = CProjectLookup::devices(model, role);
    const pugi::xml_node configuration = CProjectLookup::deviceConfiguration(project);
    if (offered.empty() || !configuration) {
        // A model file without its device, or a project without a place for it.
        return CTemplatePlan::refused(QString::fromLatin1(kModelUnusable));
    }
    const auto taken = [&](const std::string& candidate) {
        return isTaken(project, {role, candidate});
    };
    const std::optional<std::string> address =
        gateway ? freePlaceholder(taken) : lowestFreeUid(taken);
    if (!address) {
        return CTemplatePlan::refused(QString::fromLatin1(gateway ? kNoPlaceholder : kNoUid));
    }
    return named(appendUnder(configuration, offered.front(), {role, *address}),
                 gateway ? "Add Gateway" : "Add Device");
}
