#pragma once

#include "CPacedStep.h"
#include "CPacing.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ITickTimer;
class ITimerSource;

// One run of a sequence of steps, on the GUI thread. Steps come from a source that is
// asked for the next step only when the previous one is over, so a step may depend on
// what the replies so far brought (the devices behind a gateway are read when that
// gateway's turn comes). Each pause is a timer of the injected source; paced by replies,
// the awaited settings end it early. stop() ends the run at once: no further action runs.
//
// Runs are made and owned by CSequencer, which outlives every view: a view that goes
// does not end a run, and a new view finds it again by its name.
class CSequenceRun : public QObject {
    Q_OBJECT

public:
    enum class Outcome { Completed, Stopped, Failed };
    Q_ENUM(Outcome)
    // The next step, or nothing when the sequence is over.
    using StepSource = std::function<std::optional<CPacedStep>()>;

    CSequenceRun(QString name, StepSource steps, CPacing pacing, ITimerSource& timers,
                 QObject* parent = nullptr);
    ~CSequenceRun() override;

    static StepSource fromList(std::vector<CPacedStep> steps);

    const QString& name() const { return m_name; }
    CPacing pacing() const { return m_pacing; }
    bool isRunning() const { return m_state == State::Running; }
    std::optional<Outcome> outcome() const { return m_outcome; }
    // The last value given to reportProgress(), for a view that attaches late.
    int lastProgress() const { return m_progress; }
    // Steps whose action ran so far.
    int stepsRun() const { return m_stepsRun; }

    // Runs the first steps up to the first pause. Only CSequencer calls it.
    void begin();
    void stop();
    void reportProgress(int value);
    // An entered setting: ends the pause when the current step awaits it.
    void settingEntered(const CEnteredSetting& setting);

signals:
    void progress(int value);
    void finished(CSequenceRun::Outcome outcome);

private:
    enum class State { Idle, Running, Over };

    void runUntilPause();
    void startPause(const CPacedStep& step);
    void endPause();
    void finish(Outcome outcome);

    QString m_name;
    StepSource m_steps;
    CPacing m_pacing;
    std::unique_ptr<ITickTimer> m_pauseTimer;
    std::unique_ptr<ITickTimer> m_quietTimer;
    State m_state = State::Idle;
    std::optional<Outcome> m_outcome;
    CAwait m_await;
    // Counts pauses, so that an early end queued for one pause never ends the next.
    quint64 m_pauseNumber = 0;
    bool m_awaitMet = false;
    int m_progress = 0;
    int m_stepsRun = 0;
};
