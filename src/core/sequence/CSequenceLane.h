#pragma once

#include "core/sequence/CAnswerTimes.h"
#include "core/sequence/CPacedStep.h"
#include "core/sequence/CPacing.h"

#include <QtGlobal>
#include <functional>
#include <memory>
#include <optional>

class CSequenceRun;
class ITickTimer;
class ITimerSource;

// One strand of a run: its own steps, one after the other, and its own pause, so that a run
// can wait for several gateways at once (each has a bus of its own). Only CSequenceRun
// makes lanes; it hears from a lane when the lane's steps are over and when an action fails.
class CSequenceLane {
public:
    using StepSource = std::function<std::optional<CPacedStep>()>;

    CSequenceLane(CSequenceRun& run, StepSource steps, CPacing pacing, ITimerSource& timers);
    ~CSequenceLane();
    CSequenceLane(const CSequenceLane&) = delete;
    CSequenceLane& operator=(const CSequenceLane&) = delete;

    bool isOver() const { return m_over; }
    // Runs the first steps up to the first pause.
    void begin();
    // Ends the lane at once: no further action runs.
    void halt();
    void settingEntered(const CEnteredSetting& setting);

private:
    void runUntilPause();
    // Runs the action of m_step; false when the run cannot go on.
    bool carryOut();
    void startPause();
    void endPause();
    bool answered() const;
    size_t receivedSoFar() const;
    void laneOver();

    CSequenceRun& m_run;
    StepSource m_steps;
    CPacing m_pacing;
    std::unique_ptr<ITickTimer> m_pauseTimer;
    // The quiet window after the awaited replies began, or before they began the silence
    // that means they were lost.
    std::unique_ptr<ITickTimer> m_quietTimer;
    ITimerSource& m_timers;
    CAnswerTimes m_answerTimes;
    std::chrono::milliseconds m_pauseStartedAt{0};
    std::optional<CPacedStep> m_step;  // the step whose action ran last
    int m_repeated = 0;                // repeats in a row after pauses that brought nothing
    size_t m_receivedBefore = 0;       // how much of its answer had come when the pause began
    bool m_awaitMet = false;           // its awaited reply came during this pause
    // Counts pauses, so that an early end queued for one pause never ends the next.
    quint64 m_pauseNumber = 0;
    bool m_started = false;
    bool m_over = false;
};
