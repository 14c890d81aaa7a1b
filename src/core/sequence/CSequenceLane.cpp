#include "core/sequence/CSequenceLane.h"

#include "core/common/ITickTimer.h"
#include "core/common/ITimerSource.h"
#include "core/sequence/CSequenceRun.h"

#include <QMetaObject>

CSequenceLane::CSequenceLane(CSequenceRun& run, StepSource steps, CPacing pacing,
                             ITimerSource& timers)
    : m_run(run),
      m_steps(std::move(steps)),
      m_pacing(pacing),
      m_pauseTimer(timers.createTimer()),
      m_quietTimer(timers.createTimer()),
      m_timers(timers) {
    m_pauseTimer->setTickHandler([this] { endPause(); });
    m_quietTimer->setTickHandler([this] { endPause(); });
}

CSequenceLane::~CSequenceLane() = default;

void CSequenceLane::begin() {
    if (m_started) {
        return;
    }
    m_started = true;
    runUntilPause();
}

void CSequenceLane::runUntilPause() {
    while (!m_over && m_run.isRunning()) {
        m_step = m_steps();
        m_repeated = 0;
        if (!m_step) {
            laneOver();
            return;
        }
        if (!carryOut()) {
            return;
        }
        if (m_step->pause.count() > 0) {
            startPause();
            return;
        }
    }
}

bool CSequenceLane::carryOut() {
    if (!m_step->action) {
        return true;
    }
    m_run.countStep();
    const bool carriedOut = m_step->action(m_run);
    if (m_over || !m_run.isRunning()) {
        return false;  // the action stopped the run
    }
    if (!carriedOut) {
        m_run.laneFailed();
        return false;
    }
    return true;
}

size_t CSequenceLane::receivedSoFar() const {
    return m_step->repeat.received ? m_step->repeat.received() : 0;
}

void CSequenceLane::startPause() {
    ++m_pauseNumber;
    m_awaitMet = false;
    m_receivedBefore = receivedSoFar();
    m_pauseStartedAt = m_timers.now();
    m_pauseTimer->start(m_step->pause);
    if (m_pacing == CPacing::ByReplies && m_step->await.endsOnSilence) {
        if (const auto limit = m_answerTimes.silenceLimit(m_step->pause)) {
            m_quietTimer->start(*limit);
        }
    }
}

void CSequenceLane::endPause() {
    m_pauseTimer->stop();
    m_quietTimer->stop();
    if (m_over || !m_run.isRunning()) {
        return;
    }
    const CPacedStep::Repeat& repeat = m_step->repeat;
    if (repeat.times > 0 && !answered()) {
        const size_t received = receivedSoFar();
        const bool brought = received > m_receivedBefore;
        if (brought || m_repeated < repeat.times) {
            m_repeated = brought ? 0 : m_repeated + 1;
            m_run.countRepeat();
            if (carryOut()) {
                startPause();
            }
            return;
        }
    }
    runUntilPause();
}

bool CSequenceLane::answered() const {
    return m_step->repeat.answered ? m_step->repeat.answered() : m_awaitMet;
}

void CSequenceLane::settingEntered(const CEnteredSetting& setting) {
    if (m_over || !m_pauseTimer->isActive() || !m_step->await.isSet() ||
        !m_step->await.matches(setting)) {
        return;
    }
    const bool first = !m_awaitMet;
    m_awaitMet = true;
    if (first && m_step->await.endsOnSilence) {
        m_answerTimes.record(m_timers.now() - m_pauseStartedAt);
    }
    // Fixed pauses run their full length; what came is only noted, for the repeat.
    if (m_pacing != CPacing::ByReplies) {
        return;
    }
    if (m_step->await.quietWindow.count() > 0) {
        m_quietTimer->start(m_step->await.quietWindow);
        return;
    }
    if (!first) {
        return;
    }
    m_quietTimer->stop();
    // Later, not inside the document's drain that entered the setting: the next step may
    // change the plan that the drain is still walking.
    const quint64 pause = m_pauseNumber;
    QMetaObject::invokeMethod(
        &m_run,
        [this, pause] {
            if (pause == m_pauseNumber && m_pauseTimer->isActive()) {
                endPause();
            }
        },
        Qt::QueuedConnection);
}

void CSequenceLane::halt() {
    m_over = true;
    m_pauseTimer->stop();
    m_quietTimer->stop();
}

void CSequenceLane::laneOver() {
    halt();
    m_run.laneEnded();
}
