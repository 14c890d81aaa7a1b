#include "core/upload/CUploadOffline.h"

#include "core/plan/CValidationSchema.h"
#include "core/upload/CMapAnswers.h"
#include "core/upload/CUploadCompare.h"
#include "core/upload/CUploadProject.h"

namespace {
using Status = CDeviceOutcome::Status;
}  // namespace

void CUploadOffline::compare(const pugi::xml_document& project, const CMapAnswers& map,
                             const pugi::xml_document& schema, CUploadDevice::Kind kind,
                             const std::function<void(CDeviceOutcome&& device)>& visit) {
    const CValidationSchema validation(schema);
    const CDeviceAnswers nothing;
    CUploadProject::forEach(project, kind, [&](CUploadDevice&& device) {
        CDeviceOutcome outcome = CDeviceOutcome::of(device, Status::Compared);
        const std::string key = device.keyText.toStdString();
        const CDeviceAnswers* inMap = nullptr;
        if (device.refusal == CUploadDevice::Refusal::None) {
            inMap = device.isGateway() ? map.gateway(key) : map.device(key);
        }
        const CDeviceAnswers& reported = inMap != nullptr ? *inMap : nothing;
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
                    outcome.rows = CUploadCompare::rows(std::move(device), validation, reported);
                    break;
            }
        }
        visit(std::move(outcome));
    });
}
