#include "core/replace/CReplacement.h"

#include "core/document/CUbrixVorelDoc.h"
#include "core/plan/CEnteredSetting.h"
#include "core/protocol/CCommands.h"
#include "core/sequence/CSequenceRun.h"
#include "core/sequence/CSequencer.h"
#include "core/transport/CIpv4Address.h"
#include "core/upload/CBusUpload.h"
#include "core/upload/CGatewayUpload.h"
#include "core/upload/IUploadLink.h"

namespace {

using Status = CDeviceOutcome::Status;

constexpr const char* kRunName = "replace";

}  // namespace

CReplacement::CReplacement(CUbrixVorelDoc& doc, IUploadLink& link,
                           const CReplacementProject& project, Target target,
                           CUploadOptions options, QObject* parent)
    : QObject(parent),
      m_doc(doc),
      m_link(link),
      m_project(project),
      m_target(target),
      m_options(options) {
    connect(&doc, &CUbrixVorelDoc::settingEntered, this, &CReplacement::settingEntered);
    connect(&doc, &CUbrixVorelDoc::deviceAnnounced, this, &CReplacement::deviceAnnounced);
}

CReplacement::~CReplacement() {
    stop();
}

void CReplacement::start(CSequencer& sequencer) {
    m_sequencer = &sequencer;
    if (m_target.kind == CUploadDevice::Kind::Gateway) {
        startUpload();
        return;
    }
    CSequenceRun* run = sequencer.start(
        QString::fromLatin1(kRunName), [this] { return nextStep(); }, m_options.pacing);
    m_run = run;
    const auto ended = [this](CSequenceRun::Outcome outcome) {
        if (m_outcome) {
            return;
        }
        if (outcome == CSequenceRun::Outcome::Completed) {
            startUpload();
        } else {
            finish(outcome == CSequenceRun::Outcome::Failed ? Outcome::Failed : Outcome::Stopped);
        }
    };
    if (const std::optional<CSequenceRun::Outcome> over = run->outcome()) {
        ended(*over);
        return;
    }
    connect(run, &CSequenceRun::finished, this, ended);
}

void CReplacement::stop() {
    if (m_run && m_run->isRunning()) {
        m_run->stop();
    }
    if (m_upload) {
        m_upload->stop();
    }
}

bool CReplacement::isOurUid(const QByteArray& number) const {
    return number == QByteArray::number(m_project.device().uid);
}

void CReplacement::settingEntered(const CEnteredSetting& setting) {
    if (m_stage != Stage::Upload && !setting.isGateway() && isOurUid(setting.number)) {
        m_heard = true;
        m_answeredThrough = setting.gateway;
    }
}

void CReplacement::deviceAnnounced(const QByteArray& gateway, const QByteArray& attribute,
                                   const QByteArray& number) {
    if (m_stage != Stage::Upload && attribute == "UID" && isOurUid(number)) {
        m_heard = true;
        m_answeredThrough = gateway;
    }
}

// Silence check, then the address, then (by discover button) the wait for the press.
std::optional<CPacedStep> CReplacement::nextStep() {
    const int uid = m_project.device().uid;
    const QByteArray uidText = QByteArray::number(uid);
    const CAwait fromUid{[uidText](const CEnteredSetting& setting) {
                             return !setting.isGateway() && setting.number == uidText;
                         },
                         std::chrono::milliseconds(0)};
    const auto sendStep = [this](const QByteArray& text, quint32 to,
                                 std::chrono::milliseconds pause, CAwait await) {
        return CPacedStep{[this, text, to](CSequenceRun&) { return m_link.send(text, to); }, pause,
                          std::move(await)};
    };
    switch (m_stage) {
        case Stage::Silence:
            if (m_step++ == 0) {
                emit stageChanged(QStringLiteral("Checking that UID %1 is silent...").arg(uid));
                return sendStep(CCommands::busDeviceQuery(static_cast<quint32>(uid)),
                                CIpv4Address::kBroadcast, kSilencePause, fromUid);
            }
            if (m_heard || m_options.dryRun) {
                finish(m_heard ? Outcome::StillAnswering : Outcome::Previewed);
                return std::nullopt;
            }
            m_step = 0;
            if (m_target.serial) {
                m_stage = Stage::Address;
                emit stageChanged(
                    QStringLiteral("Giving UID %1 to SN %2...").arg(uid).arg(*m_target.serial));
                return sendStep(CCommands::busAssignSerial(*m_target.serial, uid), m_target.gateway,
                                kAddressPass, fromUid);
            }
            m_stage = Stage::Press;
            emit stageChanged(
                QStringLiteral("Press the discover button of the new device: it takes UID %1.")
                    .arg(uid));
            return sendStep(CCommands::busAssignNext(uid), m_target.gateway, kPressPass, fromUid);
        case Stage::Address:
        case Stage::Press: {
            // Passes, until the device announced itself under its UID (which ends no pause
            // by itself) or reported anything.
            if (m_heard) {
                return std::nullopt;
            }
            const bool bySerial = m_stage == Stage::Address;
            if (++m_step >= (bySerial ? kAddressPasses : kPressPasses)) {
                finish(Outcome::NotFound);
                return std::nullopt;
            }
            return CPacedStep::wait(bySerial ? kAddressPass : kPressPass, fromUid);
        }
        case Stage::Upload:
            break;
    }
    return std::nullopt;
}

void CReplacement::startUpload() {
    m_stage = Stage::Upload;
    emit stageChanged(QStringLiteral("Uploading the settings of %1...")
                          .arg(QString::fromUtf8(m_project.device().label())));
    if (m_target.kind == CUploadDevice::Kind::Gateway) {
        m_upload = std::make_unique<CGatewayUpload>(m_doc, m_link, m_options);
    } else {
        m_upload = std::make_unique<CBusUpload>(m_doc, m_link, m_options);
    }
    m_upload->uploadFrom(m_project.project());
    connect(m_upload.get(), &CUploadRun::finished, this, &CReplacement::uploadFinished);
    m_upload->start(*m_sequencer);
}

void CReplacement::uploadFinished() {
    m_summary = m_upload->summary();
    if (m_summary.ending == CUploadSummary::Ending::Stopped) {
        finish(Outcome::Stopped);
        return;
    }
    switch (m_summary.devices.front().status) {
        case Status::Compared:
            if (m_options.dryRun) {
                finish(Outcome::Previewed);
            } else {
                finish(m_summary.exitCode() == CUploadSummary::kExitApplied ? Outcome::Replaced
                                                                            : Outcome::Incomplete);
            }
            return;
        case Status::TypeMismatch:
            finish(Outcome::TypeRefused);
            return;
        case Status::NotFound:
        case Status::PassedOver:
            finish(Outcome::NotFound);
            return;
        case Status::SendFailed:
            finish(Outcome::Failed);
            return;
        case Status::NoTemplateType:
        case Status::Refused:
        case Status::OtherTcpGateway:
        case Status::NotReached:
            break;
    }
    finish(Outcome::Incomplete);
}

void CReplacement::finish(Outcome outcome) {
    if (m_outcome) {
        return;
    }
    m_outcome = outcome;
    emit finished();
}

QString CReplacement::describe() const {
    const CUploadDevice& device = m_project.device();
    const QString label = QString::fromUtf8(device.label());
    const bool isGateway = m_target.kind == CUploadDevice::Kind::Gateway;
    const QString address = QString::fromLatin1(CIpv4Address::toDotted(m_target.gateway));
    const std::optional<std::string> reported =
        m_summary.devices.empty() ? std::nullopt : m_summary.devices.front().reportedType;
    switch (m_outcome.value_or(Outcome::Stopped)) {
        case Outcome::Replaced:
            return QStringLiteral("%1 is replaced: every setting sent was echoed.").arg(label);
        case Outcome::Previewed:
            return isGateway
                       ? QStringLiteral("The gateway at %1 answered: nothing was changed.")
                             .arg(address)
                       : QStringLiteral("UID %1 is silent: nothing was changed.").arg(device.uid);
        case Outcome::StillAnswering:
            return QStringLiteral(
                       "UID %1 still answers (behind %2): a device still answering "
                       "is never replaced.")
                .arg(device.uid)
                .arg(QString::fromLatin1(m_answeredThrough));
        case Outcome::TypeRefused:
            return QStringLiteral("%1 reports type %2, not %3 as in the file: nothing was sent%4.")
                .arg(isGateway ? QStringLiteral("The gateway at %1").arg(address)
                               : QStringLiteral("The new device"),
                     QString::fromStdString(reported.value_or("?")),
                     QString::fromStdString(device.type.value_or("?")),
                     isGateway ? QString() : QStringLiteral("; it keeps UID %1").arg(device.uid));
        case Outcome::NotFound:
            if (isGateway) {
                return QStringLiteral("The gateway at %1 did not answer.").arg(address);
            }
            if (m_target.serial) {
                return QStringLiteral("SN %1 behind %2 did not take UID %3.")
                    .arg(*m_target.serial)
                    .arg(address)
                    .arg(device.uid);
            }
            return QStringLiteral("No device took UID %1.").arg(device.uid);
        case Outcome::Incomplete:
            return QStringLiteral("%1 did not take every setting.").arg(label);
        case Outcome::Failed:
            return QStringLiteral("A command could not be sent.");
        case Outcome::Stopped:
            break;
    }
    return QStringLiteral("The replacement was stopped.");
}
