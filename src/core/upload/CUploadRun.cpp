#include "core/upload/CUploadRun.h"

#include "core/document/CUbrixVorelDoc.h"
#include "core/plan/CEnteredSetting.h"
#include "core/plan/CValidationSchema.h"
#include "core/protocol/CRetryRule.h"
#include "core/sequence/CSequenceRun.h"
#include "core/sequence/CSequencer.h"
#include "core/upload/CUploadCompare.h"
#include "core/upload/CUploadTexts.h"

#include <algorithm>

namespace {

using namespace std::chrono_literals;

constexpr std::chrono::milliseconds kStartPause = 700ms;
constexpr std::chrono::milliseconds kEndPause = 2000ms;

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
    const bool parallel = devicesGoInParallel() && m_options.concurrent && m_devices.size() > 1;
    for (size_t d = 0; d < m_devices.size() || m_lanes.empty(); ++d) {
        if (m_lanes.empty() || parallel) {
            m_lanes.push_back(std::make_unique<Lane>());
        }
        if (d < m_devices.size()) {
            m_lanes.back()->devices.push_back(d);
        }
    }
    connect(&m_doc, &CUbrixVorelDoc::settingEntered, this, &CUploadRun::settingEntered);
    std::vector<CSequenceRun::StepSource> lanes;
    for (const std::unique_ptr<Lane>& each : m_lanes) {
        m_lane = each.get();
        if (isDryRun()) {
            then([this] { beginLane(); });
        } else {
            pauseThen(kStartPause, [this] { beginLane(); });
        }
        lanes.push_back([this, strand = each.get()] { return nextStep(*strand); });
    }
    m_lane = nullptr;
    m_run = sequencer.start(QString::fromLatin1(runName()), std::move(lanes), m_options.pacing);
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

// A continuation may wait in the user's answer to a message, and meanwhile other lanes go
// on: whichever lane asks for its next step, the one asking before it is the current lane
// again afterwards.
std::optional<CPacedStep> CUploadRun::nextStep(Lane& asking) {
    Lane* const before = std::exchange(m_lane, &asking);
    while (!asking.pending && asking.next) {
        const Next next = std::exchange(asking.next, Next());
        next();
        m_lane = &asking;
    }
    m_lane = before;
    return std::exchange(asking.pending, std::nullopt);
}

void CUploadRun::then(Next next) {
    lane().next = std::move(next);
}

void CUploadRun::pauseThen(std::chrono::milliseconds pause, CAwait await, Next next) {
    lane().pending = CPacedStep::wait(pause, std::move(await));
    lane().next = std::move(next);
}

void CUploadRun::beginLane() {
    if (!std::exchange(m_started, true)) {
        log(CUploadTexts::start());
    }
    Lane& strand = lane();
    strand.position = 0;
    if (strand.devices.empty()) {
        endRun(CUploadSummary::Ending::Completed);
        return;
    }
    strand.current = strand.devices.front();
    strand.visited = 0;
    beginDevice();
}

void CUploadRun::nextDevice() {
    Lane& strand = lane();
    strand.recording = false;
    ++strand.position;
    if (strand.position >= strand.devices.size()) {
        endRun(CUploadSummary::Ending::Completed);
        return;
    }
    strand.current = strand.devices[strand.position];
    strand.visited = 0;
    beginDevice();
}

void CUploadRun::endRun(CUploadSummary::Ending ending) {
    if (ending != CUploadSummary::Ending::Completed) {
        m_ending = ending;
    }
    lane().recording = false;
    lane().current = kNoDevice;
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
    ++lane().visited;
    emit progress(m_done, m_total);
}

void CUploadRun::skipRemainingProgress() {
    const int size = static_cast<int>(current().settings.size());
    m_done += std::max(0, size - lane().visited);
    lane().visited = size;
    emit progress(m_done, m_total);
}

void CUploadRun::startRecording() {
    lane().reported.clear();
    lane().recording = true;
}

void CUploadRun::settingEntered(const CEnteredSetting& setting) {
    for (const std::unique_ptr<Lane>& strand : m_lanes) {
        if (strand->recording && strand->current != kNoDevice &&
            isReportOf(setting, strand->current)) {
            strand->reported.enterReply(setting);
        }
    }
    for (auto echo = m_awaitingEcho.begin(); echo != m_awaitingEcho.end();) {
        CUploadRow& row = m_summary.devices[echo->device].rows[echo->row];
        if (!isReportOf(setting, echo->device) || setting.address.text() != row.placeText()) {
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
                    if (isReportOf(setting, echo.device) &&
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

bool CUploadRun::reportIsShort() const {
    switch (CUploadCompare::presence(current(), reported())) {
        case CUploadCompare::Presence::NotFound:
            return true;
        case CUploadCompare::Presence::TypeMismatch:
            return false;
        case CUploadCompare::Presence::Found:
            break;
    }
    const std::vector<CUploadRow> rows =
        CUploadCompare::rows(current(), CValidationSchema(m_doc.schema()), reported());
    return std::any_of(rows.begin(), rows.end(), [](const CUploadRow& row) {
        return row.outcome == CUploadRow::Outcome::NotReported;
    });
}

void CUploadRun::queryThen(const QByteArray& text, quint32 address, std::chrono::milliseconds pause,
                           CAwait await, Next next) {
    const Asking asking{text,
                        address,
                        pause,
                        std::move(await),
                        std::move(next),
                        CRetryRule::repeatsFor(text, m_options.retries)};
    askAgain(asking, asking.repeats);
}

// A pause that brought more of the report starts the retries afresh: a report with holes is
// asked again for as long as asking brings something, and retries more times when it does
// not.
void CUploadRun::askAgain(const Asking& asking, int repeatsLeft) {
    if (!sendOrFail(asking.text, asking.address)) {
        afterSendFailure();
        return;
    }
    const size_t reportedBefore = reported().size();
    pauseThen(asking.pause, asking.await, [this, asking, repeatsLeft, reportedBefore] {
        const bool brought = reported().size() > reportedBefore;
        if (asking.repeats > 0 && (brought || repeatsLeft > 0) && reportIsShort()) {
            ++outcome().queryRepeats;
            askAgain(asking, brought ? asking.repeats : repeatsLeft - 1);
            return;
        }
        asking.next();
    });
}

void CUploadRun::compareAndSend(const CValidationSchema& schema, quint32 address,
                                std::chrono::milliseconds setPause) {
    outcome().rows = CUploadCompare::rows(current(), schema, reported());
    outcome().status = CDeviceOutcome::Status::Compared;
    lane().row = 0;
    handleRow(address, setPause);
}

void CUploadRun::handleRow(quint32 address, std::chrono::milliseconds setPause) {
    std::vector<CUploadRow>& rows = outcome().rows;
    while (lane().row < rows.size()) {
        const size_t index = lane().row++;
        CUploadRow& row = rows[index];
        visitOne();
        log(CUploadCompare::logLine(current(), row));
        if (!row.isSent() || isDryRun()) {
            continue;
        }
        sendRow(index, address, setPause, CRetryRule::repeatsFor(row.command, m_options.retries));
        return;
    }
    afterRows();
}

// A set whose echo never came may still have been taken (the echo was lost): before it
// counts as not applied, the device is asked once more, and what it reports then decides.
void CUploadRun::afterRows() {
    const std::vector<CUploadRow>& rows = outcome().rows;
    const bool withoutEcho = std::any_of(rows.begin(), rows.end(), [](const CUploadRow& row) {
        return row.delivery == CUploadRow::Delivery::Sent;
    });
    if (isDryRun() || m_options.retries == 0 || !withoutEcho) {
        nextDevice();
        return;
    }
    ++outcome().queryRepeats;
    queryAgainThen([this] {
        const size_t device = currentIndex();
        for (CUploadRow& row : outcome().rows) {
            const std::optional<std::string_view> now = reported().find(row.setting.address);
            if (row.delivery == CUploadRow::Delivery::Sent && now && *now == row.setting.value) {
                row.delivery = CUploadRow::Delivery::ReportedWhenAsked;
            }
        }
        m_awaitingEcho.erase(
            std::remove_if(m_awaitingEcho.begin(), m_awaitingEcho.end(),
                           [this, device](const Echo& echo) {
                               return echo.device == device &&
                                      m_summary.devices[device].rows[echo.row].delivery !=
                                          CUploadRow::Delivery::Sent;
                           }),
            m_awaitingEcho.end());
        nextDevice();
    });
}

void CUploadRun::sendRow(size_t index, quint32 address, std::chrono::milliseconds setPause,
                         int repeatsLeft) {
    CUploadRow& row = outcome().rows[index];
    if (!sendOrFail(row.command, address)) {
        if (row.delivery == CUploadRow::Delivery::NotSent) {
            row.delivery = CUploadRow::Delivery::SendFailed;
        }
        afterSendFailure();
        return;
    }
    if (row.delivery == CUploadRow::Delivery::NotSent) {
        row.delivery = CUploadRow::Delivery::Sent;
        m_awaitingEcho.push_back({currentIndex(), index});
    }
    CAwait echo{[this, device = currentIndex(), place = row.placeText(),
                 wire = row.wireValue](const CEnteredSetting& setting) {
                    return isReportOf(setting, device) && setting.address.text() == place &&
                           setting.value == wire;
                },
                std::chrono::milliseconds(0)};
    pauseThen(setPause, std::move(echo), [this, index, address, setPause, repeatsLeft] {
        CUploadRow& sent = outcome().rows[index];
        // Another value echoed is an answer too: the device keeps it, asking again won't help.
        if (repeatsLeft > 0 && sent.delivery == CUploadRow::Delivery::Sent) {
            ++sent.repeats;
            sendRow(index, address, setPause, repeatsLeft - 1);
            return;
        }
        handleRow(address, setPause);
    });
}
