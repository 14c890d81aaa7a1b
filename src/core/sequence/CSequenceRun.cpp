#include "CSequenceRun.h"

#include "common/ITimerSource.h"

#include <QMetaObject>

CSequenceRun::CSequenceRun(QString name, StepSource steps, CPacing pacing, ITimerSource& timers,
                           QObject* parent)
    : QObject(parent),
      m_name(std::move(name)),
      m_steps(std::move(steps)),
      m_pacing(pacing),
      m_pauseTimer(timers.createTimer()),
      m_quietTimer(timers.createTimer()) {
    m_pauseTimer->setTickHandler([this] { endPause(); });
    m_quietTimer->setTickHandler([this] { endPause(); });
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
    runUntilPause();
}

void CSequenceRun::runUntilPause() {
    while (m_state == State::Running) {
        std::optional<CPacedStep> step = m_steps();
        if (!step) {
            finish(Outcome::Completed);
            return;
        }
        if (step->action) {
            ++m_stepsRun;
            const bool carriedOut = step->action(*this);
            if (m_state != State::Running) {
                return;  // the action stopped the run
            }
            if (!carriedOut) {
                finish(Outcome::Failed);
                return;
            }
        }
        if (step->pause.count() > 0) {
            startPause(*step);
            return;
        }
    }
}

void CSequenceRun::startPause(const CPacedStep& step) {
    ++m_pauseNumber;
    m_awaitMet = false;
    m_await = m_pacing == CPacing::ByReplies ? step.await : CAwait();
    m_pauseTimer->start(step.pause);
}

void CSequenceRun::endPause() {
    m_pauseTimer->stop();
    m_quietTimer->stop();
    m_await = CAwait();
    if (m_state == State::Running) {
        runUntilPause();
    }
}

void CSequenceRun::settingEntered(const CEnteredSetting& setting) {
    if (m_state != State::Running || !m_await.isSet() || !m_await.matches(setting)) {
        return;
    }
    if (m_await.quietWindow.count() > 0) {
        m_quietTimer->start(m_await.quietWindow);
        return;
    }
    if (m_awaitMet) {
        return;
    }
    m_awaitMet = true;
    // Later, not inside the document's drain that entered the setting: the next step may
    // change the plan that the drain is still walking.
    const quint64 pause = m_pauseNumber;
    QMetaObject::invokeMethod(
        this,
        [this, pause] {
            if (pause == m_pauseNumber && m_pauseTimer->isActive()) {
                endPause();
            }
        },
        Qt::QueuedConnection);
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
    m_pauseTimer->stop();
    m_quietTimer->stop();
    m_await = CAwait();
    emit finished(outcome);
}
