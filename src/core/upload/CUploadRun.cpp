#include "CUploadRun.h"

#include "CUploadCompare.h"
#include "CUploadTexts.h"
#include "common/CXmlText.h"
#include "document/CUbrixVorelDoc.h"
#include "plan/CEnteredSetting.h"
#include "sequence/CSequenceRun.h"
#include "sequence/CSequencer.h"

namespace {

using namespace std::chrono_literals;

constexpr std::chrono::milliseconds kStartPause = 700ms;
constexpr std::chrono::milliseconds kEndPause = 2000ms;

// The address as the plan (and so the project) spells it.
CSettingAddress inXmlText(const CSettingAddress& wire) {
    const auto text = [](const QByteArray& part) {
        return CXmlText::toBytes(CXmlText::fromWire(part));
    };
    return {text(wire.port), text(wire.group), text(wire.key), text(wire.index)};
}

}  // namespace

CUploadRun::CUploadRun(CUbrixVorelDoc& doc, IUploadLink& link, CUploadOptions options,
                       QObject* parent)
    : QObject(parent), m_doc(doc), m_link(link), m_options(options) {}

CUploadRun::~CUploadRun() {
    // The run's steps call back into this object: none may come after it is gone.
    stop();
}

bool CUploadRun::start(CSequencer& sequencer) {
    if (m_run || (m_project == nullptr && !m_doc.hasTemplate())) {
        return false;
    }
    m_devices = devicesOf(m_project != nullptr ? *m_project : *m_doc.templateDocument());
    m_summary.dryRun = m_options.dryRun;
    for (const CUploadDevice& device : m_devices) {
        m_summary.devices.push_back(CDeviceOutcome::of(device, CDeviceOutcome::Status::NotReached));
        m_total += static_cast<int>(device.settings.size());
    }
    connect(&m_doc, &CUbrixVorelDoc::settingEntered, this, &CUploadRun::settingEntered);
    const Next first = [this] {
        log(CUploadTexts::start());
        m_current = 0;
        if (m_devices.empty()) {
            endRun(CUploadSummary::Ending::Completed);
            return;
        }
        m_doneAtDeviceStart = 0;
        beginDevice();
    };
    if (isDryRun()) {
        then(first);
    } else {
        pauseThen(kStartPause, first);
    }
    m_run = sequencer.start(
        QString::fromLatin1(runName()), [this] { return nextStep(); }, m_options.pacing);
    if (m_run && m_run->isRunning()) {
        connect(m_run, &CSequenceRun::finished, this, &CUploadRun::runFinished);
    } else {
        runFinished();
    }
    return true;
}

void CUploadRun::stop() {
    if (m_run && m_run->isRunning()) {
        m_run->stop();
    }
}

bool CUploadRun::isRunning() const {
    return m_run && m_run->isRunning();
}

bool CUploadRun::pacedByReplies() const {
    return m_options.pacing == CPacing::ByReplies;
}

std::optional<CPacedStep> CUploadRun::nextStep() {
    while (!m_pending && m_continue) {
        const Next next = std::exchange(m_continue, Next());
        next();
    }
    return std::exchange(m_pending, std::nullopt);
}

void CUploadRun::then(Next next) {
    m_continue = std::move(next);
}

void CUploadRun::pauseThen(std::chrono::milliseconds pause, CAwait await, Next next) {
    m_pending = CPacedStep::wait(pause, std::move(await));
    m_continue = std::move(next);
}

void CUploadRun::nextDevice() {
    m_recording = false;
    ++m_current;
    if (m_current >= m_devices.size()) {
        endRun(CUploadSummary::Ending::Completed);
        return;
    }
    m_doneAtDeviceStart = m_done;
    beginDevice();
}

void CUploadRun::endRun(CUploadSummary::Ending ending) {
    m_ending = ending;
    m_recording = false;
    m_current = m_devices.size();
    if (armedUid()) {
        log(CUploadTexts::stillArmed(*armedUid()));
    }
    if (isDryRun() || (pacedByReplies() && m_awaitingEcho.empty())) {
        then({});
        return;
    }
    pauseThen(kEndPause, outstandingEcho(), {});
}

void CUploadRun::runFinished() {
    if (m_finished) {
        return;
    }
    const bool stopped = !m_run || m_run->outcome() != CSequenceRun::Outcome::Completed;
    if (stopped && armedUid()) {
        log(CUploadTexts::stillArmed(*armedUid()));
    }
    m_summary.ending = stopped ? CUploadSummary::Ending::Stopped : m_ending;
    m_finished = true;
    emit finished();
}

void CUploadRun::log(const QByteArray& line) {
    if (!isDryRun() && !line.isEmpty()) {
        m_doc.addLogEntry(line);
    }
}

void CUploadRun::visitOne() {
    ++m_done;
    emit progress(m_done, m_total);
}

void CUploadRun::skipRemainingProgress() {
    m_done = m_doneAtDeviceStart + static_cast<int>(current().settings.size());
    emit progress(m_done, m_total);
}

void CUploadRun::startRecording() {
    m_reported.clear();
    m_recording = true;
}

void CUploadRun::settingEntered(const CEnteredSetting& setting) {
    if (m_recording && m_current < m_devices.size() && isFromCurrent(setting)) {
        m_reported.enter(inXmlText(setting.address), CXmlText::fromWire(setting.value));
    }
    for (auto echo = m_awaitingEcho.begin(); echo != m_awaitingEcho.end();) {
        CUploadRow& row = m_summary.devices[echo->device].rows[echo->row];
        if (!isEchoOf(setting, echo->device) || setting.address.text() != row.placeText()) {
            ++echo;
        } else if (setting.value == row.wireValue) {
            row.delivery = CUploadRow::Delivery::Confirmed;
            row.answered.clear();
            echo = m_awaitingEcho.erase(echo);
        } else {
            row.delivery = CUploadRow::Delivery::AnsweredOther;
            row.answered = setting.value;
            ++echo;
        }
    }
}

CAwait CUploadRun::outstandingEcho() const {
    return {[this](const CEnteredSetting& setting) {
                for (const Echo& echo : m_awaitingEcho) {
                    const CUploadRow& row = m_summary.devices[echo.device].rows[echo.row];
                    if (isEchoOf(setting, echo.device) &&
                        setting.address.text() == row.placeText() &&
                        setting.value == row.wireValue) {
                        return true;
                    }
                }
                return false;
            },
            std::chrono::milliseconds(0)};
}

bool CUploadRun::sendOrFail(const QByteArray& text, quint32 address) {
    if (m_link.send(text, address)) {
        return true;
    }
    log(CUploadTexts::sendFailed(current().label()));
    outcome().status = CDeviceOutcome::Status::SendFailed;
    return false;
}

void CUploadRun::compareAndSend(const CValidationSchema& schema, quint32 address,
                                std::chrono::milliseconds setPause) {
    outcome().rows = CUploadCompare::rows(current(), schema, m_reported);
    outcome().status = CDeviceOutcome::Status::Compared;
    m_row = 0;
    handleRow(address, setPause);
}

void CUploadRun::handleRow(quint32 address, std::chrono::milliseconds setPause) {
    std::vector<CUploadRow>& rows = outcome().rows;
    while (m_row < rows.size()) {
        const size_t index = m_row++;
        CUploadRow& row = rows[index];
        visitOne();
        log(row.logLine);
        if (!row.isSent() || isDryRun()) {
            continue;
        }
        if (!sendOrFail(row.command, address)) {
            row.delivery = CUploadRow::Delivery::SendFailed;
            afterSendFailure();
            return;
        }
        row.delivery = CUploadRow::Delivery::Sent;
        m_awaitingEcho.push_back({m_current, index});
        CAwait echo{[this, device = m_current, place = row.placeText(),
                     wire = row.wireValue](const CEnteredSetting& setting) {
                        return isEchoOf(setting, device) && setting.address.text() == place &&
                               setting.value == wire;
                    },
                    std::chrono::milliseconds(0)};
        pauseThen(setPause, std::move(echo),
                  [this, address, setPause] { handleRow(address, setPause); });
        return;
    }
    nextDevice();
}
