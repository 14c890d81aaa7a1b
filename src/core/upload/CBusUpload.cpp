#include "core/upload/CBusUpload.h"

#include "core/document/CUbrixVorelDoc.h"
#include "core/plan/CEnteredSetting.h"
#include "core/plan/CValidationSchema.h"
#include "core/protocol/CCommands.h"
#include "core/transport/CIpv4Address.h"
#include "core/upload/CBusLanes.h"
#include "core/upload/CUploadCompare.h"
#include "core/upload/CUploadProject.h"
#include "core/upload/CUploadTexts.h"

namespace {
using namespace std::chrono_literals;
using Status = CDeviceOutcome::Status;

constexpr std::chrono::milliseconds kQueryPause = 3000ms;
constexpr std::chrono::milliseconds kRepeatedQueryPause = 2000ms;
constexpr std::chrono::milliseconds kPassOverPause = 500ms;
constexpr std::chrono::milliseconds kDiscoverPass = 1000ms;
constexpr std::chrono::milliseconds kSetPause = 1000ms;
constexpr quint32 kEveryGateway = CIpv4Address::kBroadcast;

bool isDeviceReportOf(const CEnteredSetting& setting, int uid) {
    return !setting.isGateway() && setting.number == QByteArray::number(uid);
}
}  // namespace

std::vector<CUploadDevice> CBusUpload::devicesOf(const pugi::xml_document& project) const {
    return CUploadProject::busDevices(project);
}

CUploadLanes CBusUpload::lanesFor(const std::vector<CUploadDevice>& devices) const {
    return CBusLanes::of(devices, doc().plan());
}

QString CBusUpload::progressName(const CUploadDevice& device) const {
    return QStringLiteral("UID: ") + QString::fromUtf8(device.keyText);
}

QByteArray CBusUpload::settingQuery(const CSettingAddress& place) const {
    return CCommands::busDeviceSettingQuery(static_cast<quint32>(current().uid), place);
}

quint32 CBusUpload::destination() const {
    return kEveryGateway;
}

std::chrono::milliseconds CBusUpload::oneSettingPause() const {
    return kSetPause;
}

bool CBusUpload::isReportOf(const CEnteredSetting& setting, size_t device) const {
    return isDeviceReportOf(setting, deviceAt(device).uid);
}

// Every command of this upload takes the same way out: when one cannot go, none can.
void CBusUpload::afterSendFailure() {
    skipRemainingProgress();
    endEveryLane();
    endRun(CUploadSummary::Ending::Completed);
}

void CBusUpload::beginDevice() {
    const CUploadDevice& device = current();
    if (device.refusal != CUploadDevice::Refusal::None) {
        log(CUploadTexts::refusal(device));
        outcome().status = Status::Refused;
        skipRemainingProgress();
        nextDevice();
        return;
    }
    if (!device.type) {
        log(CUploadTexts::busNoTemplateType(device.uid));
        outcome().status = Status::NoTemplateType;
        skipRemainingProgress();
        pauseThen(kPassOverPause, [this] { nextDevice(); });
        return;
    }
    startRecording();
    query(kQueryPause, [this] { afterFirstQuery(); });
}

void CBusUpload::query(std::chrono::milliseconds pause, Next next) {
    const QByteArray uid = QByteArray::number(current().uid);
    CAwait reports{[uid](const CEnteredSetting& setting) {
                       return !setting.isGateway() && setting.number == uid;
                   },
                   options().quietWindow};
    queryThen(CCommands::busDeviceQueryLower(current().uid), kEveryGateway, pause,
              std::move(reports), std::move(next));
}

void CBusUpload::queryAgainThen(Next next) {
    query(kRepeatedQueryPause, std::move(next));
}

void CBusUpload::afterFirstQuery() {
    if (reported().type()) {
        checkType();
        return;
    }
    if (comeBackLater()) {
        return;
    }
    const int uid = current().uid;
    if (isDryRun()) {
        outcome().status = Status::NotFound;
        skipRemainingProgress();
        nextDevice();
        return;
    }
    if (!sendOrFail(CCommands::busAssignNextLower(uid), kEveryGateway)) {
        afterSendFailure();
        return;
    }
    setArmedUid(uid);
    const QByteArray line = CUploadTexts::busNotFound(uid);
    log(line);
    const IUploadLink::Answer answer =
        link().askDiscover(QString::fromUtf8(CUploadTexts::discoverPrompt(line)));
    switch (answer) {
        case IUploadLink::Answer::Cancel:
            outcome().status = Status::NotFound;
            skipRemainingProgress();
            endRun(CUploadSummary::Ending::Cancelled);
            return;
        case IUploadLink::Answer::No:
            outcome().status = Status::PassedOver;
            skipRemainingProgress();
            pauseThen(kPassOverPause, [this] { nextDevice(); });
            return;
        case IUploadLink::Answer::Yes:
            m_passes = 0;
            waitForDiscovered();
            return;
    }
}

// Once a pass, until the device reports its type under the armed UID.
void CBusUpload::waitForDiscovered() {
    const int uid = current().uid;
    if (reported().type()) {
        if (armedUid() == uid) {
            setArmedUid(std::nullopt);
        }
        query(kRepeatedQueryPause, [this] { lookAgain(); });
        return;
    }
    if (m_passes >= kDiscoverPasses) {
        lookAgain();
        return;
    }
    ++m_passes;
    const QByteArray uidText = QByteArray::number(uid);
    CAwait type{[uidText](const CEnteredSetting& setting) {
                    return !setting.isGateway() && setting.number == uidText &&
                           setting.address.sameKey({{}, {}, "TYPE", {}});
                },
                std::chrono::milliseconds(0)};
    pauseThen(kDiscoverPass, std::move(type), [this] { waitForDiscovered(); });
}

void CBusUpload::lookAgain() {
    if (reported().type()) {
        checkType();
        return;
    }
    log(CUploadTexts::busNoType(current().uid));
    query(kRepeatedQueryPause, [this] { lastLook(); });
}

void CBusUpload::lastLook() {
    if (reported().type()) {
        checkType();
        return;
    }
    outcome().status = Status::NotFound;
    skipRemainingProgress();
    nextDevice();
}

void CBusUpload::checkType() {
    outcome().reportedType = reported().type();
    if (CUploadCompare::presence(current(), reported()) == CUploadCompare::Presence::TypeMismatch) {
        log(CUploadTexts::busTypeMismatch(current().uid));
        outcome().status = Status::TypeMismatch;
        skipRemainingProgress();
        nextDevice();
        return;
    }
    compareAndSend(CValidationSchema(doc().schema()));
}
