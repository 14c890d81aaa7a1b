#include "CUploadOffline.h"

#include "CReportedSettings.h"
#include "CUploadCompare.h"
#include "CUploadProject.h"
#include "plan/CValidationSchema.h"

#include <string_view>

namespace {

using Status = CDeviceOutcome::Status;

// The map's element for the device: a UBRIX by IP or a DEVICE by UID, compared as texts
// (the way the map holds them), never spliced into an XPath.
pugi::xml_node mapElement(const pugi::xml_document& map, const CUploadDevice& device) {
    const char* element = device.isGateway() ? "UBRIX" : "DEVICE";
    const char* attribute = device.isGateway() ? "IP" : "UID";
    const std::string key = device.keyText.toStdString();
    for (const pugi::xml_node& plan : map.children()) {
        for (const pugi::xml_node& configuration : plan.children("Device_Configuration")) {
            for (const pugi::xml_node& candidate : configuration.children(element)) {
                if (key == candidate.attribute(attribute).value()) {
                    return candidate;
                }
            }
        }
    }
    return {};
}

}  // namespace

CUploadSummary CUploadOffline::compare(const pugi::xml_document& project,
                                       const pugi::xml_document& map,
                                       const pugi::xml_document& schema, CUploadDevice::Kind kind) {
    const CValidationSchema validation(schema);
    CUploadSummary summary;
    summary.dryRun = true;
    const std::vector<CUploadDevice> devices = kind == CUploadDevice::Kind::Gateway
                                                   ? CUploadProject::gateways(project)
                                                   : CUploadProject::busDevices(project);
    for (const CUploadDevice& device : devices) {
        CDeviceOutcome outcome = CDeviceOutcome::of(device, Status::Compared);
        const pugi::xml_node element = device.refusal == CUploadDevice::Refusal::None
                                           ? mapElement(map, device)
                                           : pugi::xml_node();
        const CReportedSettings reported = CReportedSettings::fromPlanElement(element);
        outcome.reportedType = reported.type();
        if (device.refusal != CUploadDevice::Refusal::None) {
            outcome.status = Status::Refused;
        } else if (!device.type) {
            outcome.status = Status::NoTemplateType;
        } else {
            switch (CUploadCompare::presence(device, reported)) {
                case CUploadCompare::Presence::NotFound:
                    outcome.status = Status::NotFound;
                    break;
                case CUploadCompare::Presence::TypeMismatch:
                    outcome.status = Status::TypeMismatch;
                    break;
                case CUploadCompare::Presence::Found:
                    outcome.rows = CUploadCompare::rows(device, validation, reported);
                    break;
            }
        }
        summary.devices.push_back(std::move(outcome));
    }
    return summary;
}
