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
    CUploadLanes plan = m_options.concurrent ? lanesFor(m_devices)
                                             : CUploadLanes::oneAfterAnother(m_devices.size());
    if (plan.lanes.empty()) {
        plan.lanes.push_back({{}, std::move(plan.afterwards)});
        plan.afterwards.clear();
    }
    m_afterwards = std::move(plan.afterwards);
    for (CUploadLanes::Lane& planned : plan.lanes) {
        auto strand = std::make_unique<Lane>();
        strand->name = planned.name;
        strand->devices = std::move(planned.devices);
        m_lanes.push_back(std::move(strand));
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
        lanes.emplace_back([this, strand = each.get()] { return nextStep(*strand); });
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

CUploadLanes CUploadRun::lanesFor(const std::vector<CUploadDevice>& devices) const {
    return CUploadLanes::oneAfterAnother(devices.size());
}

QString CUploadRun::progressText() const {
    const auto deviceOf = [this](const Lane& strand) {
        return strand.current == kNoDevice ? QString() : progressName(m_devices[strand.current]);
    };
    if (m_lanes.size() == 1) {
        return deviceOf(*m_lanes.front());
    }
    QStringList lines{
        QStringLiteral("Devices done: %1 of %2").arg(m_devicesDone).arg(m_devices.size())};
    for (const std::unique_ptr<Lane>& strand : m_lanes) {
        if (strand->current == kNoDevice) {
            continue;
        }
        const QString device = QString::fromUtf8(m_devices[strand->current].label());
        lines << (strand->name.isEmpty()
                      ? device
                      : QString::fromUtf8(strand->name) + QStringLiteral(": ") + device);
    }
    return lines.join(QLatin1Char('\n'));
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
    if (strand.devices.empty() && !takeAfterwards(strand)) {
        endRun(CUploadSummary::Ending::Completed);
        return;
    }
    beginCurrent();
}

void CUploadRun::beginCurrent() {
    Lane& strand = lane();
    strand.current = strand.devices[strand.position];
    strand.visited = 0;
    emit deviceChanged(progressName(current()));
    beginDevice();
}

void CUploadRun::nextDevice() {
    Lane& strand = lane();
    strand.recording = false;
    ++m_devicesDone;
    if (m_closing || m_ending == CUploadSummary::Ending::Cancelled) {
        endRun(CUploadSummary::Ending::Completed);
        return;
    }
    ++strand.position;
    if (strand.position >= strand.devices.size() && !takeAfterwards(strand)) {
        endRun(CUploadSummary::Ending::Completed);
        return;
    }
    beginCurrent();
}

// The devices that belong to no lane could be on any bus: they go once every lane is done,
// in the lane that finished last.
bool CUploadRun::takeAfterwards(Lane& strand) {
    if (m_afterwards.empty() || m_closing || m_ending == CUploadSummary::Ending::Cancelled) {
        return false;
    }
    const bool othersOver =
        std::all_of(m_lanes.begin(), m_lanes.end(),
                    [&strand](const auto& other) { return other.get() == &strand || other->over; });
    if (!othersOver) {
        return false;
    }
    strand.name = "no gateway";
    strand.devices.insert(strand.devices.end(), m_afterwards.begin(), m_afterwards.end());
    m_afterwards.clear();
    return true;
}

void CUploadRun::endRun(CUploadSummary::Ending ending) {
    if (ending != CUploadSummary::Ending::Completed) {
        m_ending = ending;
    }
    Lane& strand = lane();
    strand.recording = false;
    strand.current = kNoDevice;
    strand.over = true;
    const bool lastLane =
        std::all_of(m_lanes.begin(), m_lanes.end(), [](const auto& other) { return other->over; });
    if (armedUid() && lastLane) {
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
        if (strand->current == kNoDevice || !isReportOf(setting, strand->current)) {
            continue;
        }
        if (strand->recording) {
            strand->reported.enterReply(setting);
        }
        if (strand->asking && setting.address.text() == strand->asking->text()) {
            strand->answer = setting.value;
        }
    }
    for (auto echo = m_awaitingEcho.begin(); echo != m_awaitingEcho.end();) {
        CUploadRow& row = m_summary.devices[echo->device].rows[echo->row];
        if (!isReportOf(setting, echo->device) || setting.address.text() != row.placeText() ||
            isAskedFor(echo->device, row.placeText())) {
            // The answer to a question about the setting is weighed by whoever asked.
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

bool CUploadRun::isAskedFor(size_t device, const QByteArray& place) const {
    return std::any_of(m_lanes.begin(), m_lanes.end(), [device, &place](const auto& strand) {
        return strand->current == device && strand->asking && strand->asking->text() == place;
    });
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
    // A query is safe to ask again: paced by replies, silence means it went astray.
    await.endsOnSilence = true;
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
            if (std::optional<std::vector<CSettingAddress>> missing = CUploadCompare::missingByName(
                    current(), CValidationSchema(m_doc.schema()), reported())) {
                askMissing(std::move(*missing), m_options.retries, asking.next);
                return;
            }
            ++outcome().queryRepeats;
            askAgain(asking, brought ? asking.repeats : repeatsLeft - 1);
            return;
        }
        asking.next();
    });
}

// Asked by name, the settings still missing are asked again in rounds: a round that brought
// one of them starts the retries afresh, and as many rounds in a row that bring nothing end
// it (a device may lack a setting that its type has).
void CUploadRun::askMissing(std::vector<CSettingAddress> missing, int roundsLeft,
                            const Next& next) {
    const size_t reportedBefore = reported().size();
    askByName(std::move(missing), 0, [this, reportedBefore, roundsLeft, next] {
        const bool brought = reported().size() > reportedBefore;
        if ((brought || roundsLeft > 0) && reportIsShort()) {
            if (std::optional<std::vector<CSettingAddress>> still = CUploadCompare::missingByName(
                    current(), CValidationSchema(m_doc.schema()), reported())) {
                askMissing(std::move(*still), brought ? m_options.retries : roundsLeft - 1, next);
                return;
            }
        }
        next();
    });
}

bool CUploadRun::comeBackLater() {
    if (m_options.retries == 0 || !m_comeBack.insert(currentIndex()).second) {
        return false;
    }
    Lane& strand = lane();
    strand.devices.push_back(strand.current);
    strand.recording = false;
    ++strand.position;
    beginCurrent();
    return true;
}

void CUploadRun::askByName(std::vector<CSettingAddress> missing, size_t at, const Next& next) {
    if (at >= missing.size()) {
        next();
        return;
    }
    const CSettingAddress place = missing[at];
    askSetting(place, CRetryRule::repeatsFor(settingQuery(place), m_options.retries),
               [this, missing = std::move(missing), at, next](const std::optional<QByteArray>&) {
                   askByName(missing, at + 1, next);
               });
}

void CUploadRun::askSetting(const CSettingAddress& place, int repeatsLeft,
                            const std::function<void(std::optional<QByteArray>)>& next) {
    ++outcome().queryRepeats;
    if (!sendOrFail(settingQuery(place), destination())) {
        afterSendFailure();
        return;
    }
    lane().asking = place;
    lane().answer.reset();
    CAwait answer{
        [this, device = currentIndex(), text = place.text()](const CEnteredSetting& setting) {
            return isReportOf(setting, device) && setting.address.text() == text;
        },
        std::chrono::milliseconds(0), true};
    pauseThen(oneSettingPause(), std::move(answer), [this, place, repeatsLeft, next] {
        if (!lane().answer && repeatsLeft > 0) {
            askSetting(place, repeatsLeft - 1, next);
            return;
        }
        lane().asking.reset();
        next(std::exchange(lane().answer, std::nullopt));
    });
}

void CUploadRun::compareAndSend(const CValidationSchema& schema) {
    outcome().rows = CUploadCompare::rows(current(), schema, reported());
    outcome().status = CDeviceOutcome::Status::Compared;
    lane().row = 0;
    lane().verified = 0;
    handleRow();
}

void CUploadRun::handleRow() {
    std::vector<CUploadRow>& rows = outcome().rows;
    while (lane().row < rows.size()) {
        const size_t index = lane().row++;
        CUploadRow& row = rows[index];
        visitOne();
        log(CUploadCompare::logLine(current(), row));
        if (!row.isSent() || isDryRun()) {
            continue;
        }
        sendRow(index, CRetryRule::repeatsFor(row.command, m_options.retries),
                [this] { handleRow(); });
        return;
    }
    verifyRows();
}

// A set whose echo never came may still have been taken (the echo was lost): before it
// counts as not applied, its setting is asked by name, and what the device reports decides.
void CUploadRun::verifyRows() {
    if (isDryRun() || m_options.retries == 0) {
        nextDevice();
        return;
    }
    const std::vector<CUploadRow>& rows = outcome().rows;
    while (lane().verified < rows.size()) {
        const size_t index = lane().verified++;
        if (rows[index].delivery == CUploadRow::Delivery::Sent) {
            verifyRow(index, m_options.retries);
            return;
        }
    }
    nextDevice();
}

// Reported with the value sent: it was taken. Reported with the old value, or not at all:
// the set goes again with its retries, and then the device is asked again, as many rounds
// as the retries allow; the last answer stands (a device that keeps another value is named
// with it).
void CUploadRun::verifyRow(size_t index, int roundsLeft) {
    const CSettingAddress place = outcome().rows[index].setting.address;
    askSetting(place, CRetryRule::repeatsFor(settingQuery(place), m_options.retries),
               [this, index, roundsLeft](const std::optional<QByteArray>& answer) {
                   CUploadRow& row = outcome().rows[index];
                   if (row.delivery != CUploadRow::Delivery::Sent) {
                       // An echo came meanwhile.
                   } else if (answer && *answer == row.wireValue) {
                       row.delivery = CUploadRow::Delivery::ReportedWhenAsked;
                   } else if (roundsLeft > 0) {
                       resendThenVerify(index, roundsLeft - 1);
                       return;
                   } else if (answer) {
                       row.delivery = CUploadRow::Delivery::AnsweredOther;
                       row.answered = *answer;
                   }
                   forgetEcho(currentIndex(), index);
                   verifyRows();
               });
}

void CUploadRun::resendThenVerify(size_t index, int roundsLeft) {
    CUploadRow& row = outcome().rows[index];
    ++row.repeats;
    sendRow(index, CRetryRule::repeatsFor(row.command, m_options.retries),
            [this, index, roundsLeft] {
                if (outcome().rows[index].delivery == CUploadRow::Delivery::Sent) {
                    verifyRow(index, roundsLeft);
                } else {
                    forgetEcho(currentIndex(), index);
                    verifyRows();
                }
            });
}

void CUploadRun::forgetEcho(size_t device, size_t row) {
    if (m_summary.devices[device].rows[row].delivery == CUploadRow::Delivery::Sent) {
        return;
    }
    m_awaitingEcho.erase(std::remove_if(m_awaitingEcho.begin(), m_awaitingEcho.end(),
                                        [device, row](const Echo& echo) {
                                            return echo.device == device && echo.row == row;
                                        }),
                         m_awaitingEcho.end());
}

void CUploadRun::sendRow(size_t index, int repeatsLeft, const Next& next) {
    CUploadRow& row = outcome().rows[index];
    if (!sendOrFail(row.command, destination())) {
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
    // A set is safe to send again: paced by replies, silence means it or its echo was lost.
    CAwait echo{[this, device = currentIndex(), place = row.placeText(),
                 wire = row.wireValue](const CEnteredSetting& setting) {
                    return isReportOf(setting, device) && setting.address.text() == place &&
                           setting.value == wire;
                },
                std::chrono::milliseconds(0), true};
    pauseThen(oneSettingPause(), std::move(echo), [this, index, repeatsLeft, next] {
        CUploadRow& sent = outcome().rows[index];
        // Another value echoed is an answer too: the device keeps it, asking again won't help.
        if (repeatsLeft > 0 && sent.delivery == CUploadRow::Delivery::Sent) {
            ++sent.repeats;
            sendRow(index, repeatsLeft - 1, next);
            return;
        }
        next();
    });
}
