#include "core/sequence/CSequenceRun.h"

#include "core/sequence/CSequenceLane.h"

#include <algorithm>

CSequenceRun::CSequenceRun(QString name, StepSource steps, CPacing pacing, ITimerSource& timers,
                           QObject* parent)
    : CSequenceRun(std::move(name), std::vector<StepSource>{std::move(steps)}, pacing, timers,
                   parent) {}

CSequenceRun::CSequenceRun(QString name, std::vector<StepSource> lanes, CPacing pacing,
                           ITimerSource& timers, QObject* parent)
    : QObject(parent), m_name(std::move(name)), m_pacing(pacing) {
    for (StepSource& steps : lanes) {
        m_lanes.push_back(std::make_unique<CSequenceLane>(*this, std::move(steps), pacing, timers));
    }
}

CSequenceRun::~CSequenceRun() = default;

CSequenceRun::StepSource CSequenceRun::fromList(std::vector<CPacedStep> steps) {
    auto list = std::make_shared<std::vector<CPacedStep>>(std::move(steps));
    return [list, next = size_t{0}]() mutable -> std::optional<CPacedStep> {
        if (next >= list->size()) {
            return std::nullopt;
        }
        return (*list)[next++];
    };
}

void CSequenceRun::begin() {
    if (m_state != State::Idle) {
        return;
    }
    m_state = State::Running;
    for (size_t i = 0; i < m_lanes.size() && isRunning(); ++i) {
        m_lanes[i]->begin();
    }
    if (m_lanes.empty()) {
        finish(Outcome::Completed);
    }
}

void CSequenceRun::laneEnded() {
    const bool allOver = std::all_of(m_lanes.begin(), m_lanes.end(),
                                     [](const auto& lane) { return lane->isOver(); });
    if (allOver && isRunning()) {
        finish(Outcome::Completed);
    }
}

void CSequenceRun::settingEntered(const CEnteredSetting& setting) {
    for (size_t i = 0; i < m_lanes.size() && isRunning(); ++i) {
        m_lanes[i]->settingEntered(setting);
    }
}

void CSequenceRun::stop() {
    if (m_state != State::Over) {
        finish(Outcome::Stopped);
    }
}

void CSequenceRun::reportProgress(int value) {
    m_progress = value;
    emit progress(value);
}

void CSequenceRun::finish(Outcome outcome) {
    m_state = State::Over;
    m_outcome = outcome;
    for (const std::unique_ptr<CSequenceLane>& lane : m_lanes) {
        lane->halt();
    }
    emit finished(outcome);
}
