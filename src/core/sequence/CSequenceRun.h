#pragma once

#include "core/sequence/CPacedStep.h"
#include "core/sequence/CPacing.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CSequenceLane;
class ITimerSource;

// One run of a sequence of steps, on the GUI thread. Steps come from a source that is
// asked for the next step only when the previous one is over, so a step may depend on
// what the replies so far brought (the devices behind a gateway are read when that
// gateway's turn comes). Each pause is a timer of the injected source; paced by replies,
// the awaited settings end it early. A step whose answer did not come is repeated as its
// Repeat allows. stop() ends the run at once: no further action runs.
//
// A run may have several lanes, each a source of steps with its own pauses, that go on at
// the same time (the gateways of a site, each with a bus of its own); the run is over
// when every lane is, and a failed step ends them all.
//
// Runs are made and owned by CSequencer, which outlives every view: a view that goes
// does not end a run, and a new view finds it again by its name.
class CSequenceRun : public QObject {
    Q_OBJECT

public:
    enum class Outcome { Completed, Stopped, Failed };
    Q_ENUM(Outcome)
    // The next step, or nothing when the sequence (or the lane) is over.
    using StepSource = std::function<std::optional<CPacedStep>()>;

    CSequenceRun(QString name, StepSource steps, CPacing pacing, ITimerSource& timers,
                 QObject* parent = nullptr);
    CSequenceRun(QString name, std::vector<StepSource> lanes, CPacing pacing, ITimerSource& timers,
                 QObject* parent = nullptr);
    ~CSequenceRun() override;

    static StepSource fromList(std::vector<CPacedStep> steps);

    const QString& name() const { return m_name; }
    CPacing pacing() const { return m_pacing; }
    bool isRunning() const { return m_state == State::Running; }
    std::optional<Outcome> outcome() const { return m_outcome; }
    // The last value given to reportProgress(), for a view that attaches late.
    int lastProgress() const { return m_progress; }
    // Steps whose action ran so far, repeats not counted.
    int stepsRun() const { return m_stepsRun; }
    // Actions run again because their answer did not come.
    int repeats() const { return m_repeats; }
    // What the run has to say at its end, for whoever shows it; empty: nothing.
    const QString& endMessage() const { return m_endMessage; }
    void setEndMessage(const QString& message) { m_endMessage = message; }

    // Runs the first steps of every lane up to its first pause. Only CSequencer calls it.
    void begin();
    void stop();
    void reportProgress(int value);
    // An entered setting: ends the pause of a lane that awaits it.
    void settingEntered(const CEnteredSetting& setting);

signals:
    void progress(int value);
    void finished(CSequenceRun::Outcome outcome);

private:
    friend class CSequenceLane;
    enum class State { Idle, Running, Over };

    void countStep() { ++m_stepsRun; }
    void countRepeat() { ++m_repeats; }
    void laneEnded();
    void laneFailed() { finish(Outcome::Failed); }
    void finish(Outcome outcome);

    QString m_name;
    CPacing m_pacing;
    std::vector<std::unique_ptr<CSequenceLane>> m_lanes;
    State m_state = State::Idle;
    std::optional<Outcome> m_outcome;
    int m_progress = 0;
    int m_stepsRun = 0;
    int m_repeats = 0;
    QString m_endMessage;
};
