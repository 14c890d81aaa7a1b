#include "core/upload/CGatewayUpload.h"

#include "core/document/CUbrixVorelDoc.h"
#include "core/plan/CEnteredSetting.h"
#include "core/plan/CValidationSchema.h"
#include "core/protocol/CCommands.h"
#include "core/transport/CIpv4Address.h"
#include "core/upload/CUploadCompare.h"
#include "core/upload/CUploadProject.h"
#include "core/upload/CUploadTexts.h"

namespace {
using namespace std::chrono_literals;
using Status = CDeviceOutcome::Status;

constexpr std::chrono::milliseconds kQueryPause = 3000ms;
constexpr std::chrono::milliseconds kPassOverPause = 500ms;
constexpr std::chrono::milliseconds kSetPause = 100ms;
}  // namespace

std::vector<CUploadDevice> CGatewayUpload::devicesOf(const pugi::xml_document& project) const {
    return CUploadProject::gateways(project);
}

// Each gateway's texts go to it alone: a lane each.
CUploadLanes CGatewayUpload::lanesFor(const std::vector<CUploadDevice>& devices) const {
    CUploadLanes lanes;
    for (size_t gateway = 0; gateway < devices.size(); ++gateway) {
        lanes.lanes.push_back({{}, {gateway}});
    }
    return lanes;
}

QString CGatewayUpload::progressName(const CUploadDevice& device) const {
    return QStringLiteral("IP: ") + QString::fromUtf8(device.keyText);
}

QByteArray CGatewayUpload::settingQuery(const CSettingAddress& place) const {
    return CCommands::gatewaySettingQuery(place);
}

quint32 CGatewayUpload::destination() const {
    return current().address;
}

std::chrono::milliseconds CGatewayUpload::oneSettingPause() const {
    return kSetPause;
}

QByteArray CGatewayUpload::dotted() const {
    return CIpv4Address::toDotted(current().address);
}

bool CGatewayUpload::isReportOf(const CEnteredSetting& setting, size_t device) const {
    return setting.isGateway() &&
           setting.gateway == CIpv4Address::toDotted(deviceAt(device).address);
}

void CGatewayUpload::afterSendFailure() {
    skipRemainingProgress();
    nextDevice();
}

void CGatewayUpload::beginDevice() {
    const CUploadDevice& gateway = current();
    if (gateway.refusal != CUploadDevice::Refusal::None) {
        log(CUploadTexts::refusal(gateway));
        outcome().status = Status::Refused;
        skipRemainingProgress();
        nextDevice();
        return;
    }
    if (!gateway.type) {
        log(CUploadTexts::gatewayNoTemplateType(gateway.keyText));
        outcome().status = Status::NoTemplateType;
        skipRemainingProgress();
        pauseThen(kPassOverPause, [this] { nextDevice(); });
        return;
    }
    const QByteArray elsewhere = link().reachesInstead(gateway.address);
    if (!elsewhere.isEmpty()) {
        log(CUploadTexts::otherTcpGateway(gateway.label(), elsewhere));
        outcome().status = Status::OtherTcpGateway;
        skipRemainingProgress();
        nextDevice();
        return;
    }
    startRecording();
    queryAgainThen([this] { afterQuery(); });
}

void CGatewayUpload::queryAgainThen(Next next) {
    queryThen(CCommands::gatewayFullQueryUnterminated(), current().address, kQueryPause,
              CAwait::gatewayReports(dotted(), options().quietWindow), std::move(next));
}

void CGatewayUpload::afterQuery() {
    const QByteArray ip = dotted();
    outcome().reportedType = reported().type();
    switch (CUploadCompare::presence(current(), reported())) {
        case CUploadCompare::Presence::NotFound: {
            const QByteArray line = CUploadTexts::gatewayNotFound(ip);
            log(line);
            outcome().status = Status::NotFound;
            skipRemainingProgress();
            if (isDryRun()) {
                nextDevice();
                return;
            }
            link().showError(QString::fromUtf8(line) + QLatin1Char('\n'));
            pauseThen(kPassOverPause, [this] { nextDevice(); });
            return;
        }
        case CUploadCompare::Presence::TypeMismatch:
            log(CUploadTexts::gatewayNotSameType(ip));
            outcome().status = Status::TypeMismatch;
            skipRemainingProgress();
            nextDevice();
            return;
        case CUploadCompare::Presence::Found:
            compareAndSend(CValidationSchema(doc().schema()));
            return;
    }
}
