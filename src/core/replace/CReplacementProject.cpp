#include "core/replace/CReplacementProject.h"

#include "core/plan/CValidationSchema.h"
#include "core/upload/CDeviceAnswers.h"
#include "core/upload/CUploadCompare.h"
#include "core/upload/CUploadProject.h"
#include "core/upload/CUploadWalk.h"

#include <algorithm>

namespace {

// The file's device whose identifying attribute is named name and reads value.
pugi::xml_node findDevice(const pugi::xml_document& file, const char* element, const char* name,
                          const std::string& value) {
    for (const pugi::xml_node& configuration :
         file.child("Plan").children("Device_Configuration")) {
        for (const pugi::xml_node& candidate : configuration.children(element)) {
            const pugi::xml_attribute key = candidate.first_attribute();
            if (std::string_view(key.name()) == name && value == key.value()) {
                return candidate;
            }
        }
    }
    return {};
}

pugi::xml_node childWith(pugi::xml_node parent, const char* name, const char* attribute,
                         const QByteArray& value) {
    for (pugi::xml_node child : parent.children(name)) {
        if (attribute == nullptr ? !child.first_attribute()
                                 : value == child.attribute(attribute).value()) {
            return child;
        }
    }
    pugi::xml_node made = parent.append_child(name);
    if (attribute != nullptr) {
        made.append_attribute(attribute).set_value(value.constData());
    }
    return made;
}

// The setting in the shape the plan and projects give it: PORT[@P] / group / key[@A].
void addSetting(pugi::xml_node device, const CTemplateSetting& setting) {
    const CSettingAddress& address = setting.address;
    pugi::xml_node parent = device;
    if (!address.port.isEmpty()) {
        parent = childWith(parent, "PORT", "P", address.port);
    }
    if (!address.group.isEmpty()) {
        parent = childWith(parent, address.group.constData(), nullptr, {});
    }
    pugi::xml_node leaf = parent.append_child(address.key.constData());
    if (!address.index.isEmpty()) {
        leaf.append_attribute("A").set_value(address.index.constData());
    }
    leaf.text().set(setting.value.c_str());
}

bool isType(const CSettingAddress& address) {
    return address == CSettingAddress{{}, {}, "TYPE", {}};
}

}  // namespace

std::unique_ptr<CReplacementProject> CReplacementProject::busDevice(
    const pugi::xml_document& file, int uid, const pugi::xml_document& schema, QString& reason) {
    const pugi::xml_node element = findDevice(file, "DEVICE", "UID", std::to_string(uid));
    if (!element) {
        reason = QStringLiteral("the file holds no bus device with UID %1").arg(uid);
        return nullptr;
    }
    return build(element, CUploadDevice::Kind::BusDevice, schema, reason);
}

std::unique_ptr<CReplacementProject> CReplacementProject::gateway(const pugi::xml_document& file,
                                                                  const QByteArray& address,
                                                                  const pugi::xml_document& schema,
                                                                  QString& reason) {
    const pugi::xml_node element = findDevice(file, "UBRIX", "IP", address.toStdString());
    if (!element) {
        reason = QStringLiteral("the file holds no gateway %1").arg(QString::fromLatin1(address));
        return nullptr;
    }
    return build(element, CUploadDevice::Kind::Gateway, schema, reason);
}

std::unique_ptr<CReplacementProject> CReplacementProject::build(const pugi::xml_node& element,
                                                                CUploadDevice::Kind kind,
                                                                const pugi::xml_document& schema,
                                                                QString& reason) {
    const pugi::xml_node typeNode = element.child("TYPE");
    const std::string type = CUploadWalk::ownText(typeNode);
    const pugi::xml_attribute key = element.first_attribute();
    if (type.empty()) {
        reason = QStringLiteral("the file gives %1 %2 no TYPE")
                     .arg(QString::fromUtf8(key.name()), QString::fromUtf8(key.value()));
        return nullptr;
    }
    auto replacement = std::unique_ptr<CReplacementProject>(new CReplacementProject());
    pugi::xml_node device = replacement->m_project.append_child("Plan")
                                .append_child("Device_Configuration")
                                .append_child(element.name());
    device.append_attribute(key.name()).set_value(key.value());
    const CValidationSchema validation(schema);
    for (const CTemplateSetting& setting : CUploadWalk::walk(element)) {
        const pugi::xml_node entry = validation.setting(type, setting.address);
        const bool settable =
            entry && CValidationSchema::control(entry) != CValidationSchema::Control::ReadOnly;
        if (settable || isType(setting.address)) {
            addSetting(device, setting);
        }
    }
    const std::vector<CUploadDevice> devices =
        kind == CUploadDevice::Kind::Gateway ? CUploadProject::gateways(replacement->m_project)
                                             : CUploadProject::busDevices(replacement->m_project);
    replacement->m_device = devices.front();
    if (replacement->m_device.refusal != CUploadDevice::Refusal::None) {
        reason = QStringLiteral("%1 cannot be uploaded to")
                     .arg(QString::fromUtf8(replacement->m_device.label()));
        return nullptr;
    }
    return replacement;
}

CUploadSummary CReplacementProject::preview(const pugi::xml_document& schema) const {
    CDeviceAnswers holdsNone;
    for (const CTemplateSetting& setting : m_device.settings) {
        holdsNone.enter(setting.address, std::string());
    }
    CDeviceOutcome device = CDeviceOutcome::of(m_device, CDeviceOutcome::Status::Compared);
    device.rows = CUploadCompare::rows(m_device, CValidationSchema(schema), holdsNone);
    std::erase_if(device.rows, [](const CUploadRow& row) { return isType(row.setting.address); });
    for (CUploadRow& row : device.rows) {
        row.reported.reset();
    }
    CUploadSummary summary;
    summary.dryRun = true;
    summary.devices.push_back(std::move(device));
    return summary;
}
