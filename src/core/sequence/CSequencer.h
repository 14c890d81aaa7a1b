#pragma once

#include "core/sequence/CSequenceRun.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <vector>

class CUbrixVorelDoc;
class ITimerSource;

// The owner of every running sequence: the refresh's pause after the firewall probe, the
// bus collection, the uploads. It lives as long as the program (views come and go at every
// switch), hands each run the entered settings it may be waiting for, and stops what still
// runs when it goes.
//
//   CSequenceRun* run = sequencer.start("collect", steps);   // the first steps run now
//   connect(run, &CSequenceRun::progress, view, ...);       // a new view: sequencer.run("collect")
//   run->stop();                                            // at once, nothing more is sent
class CSequencer : public QObject {
    Q_OBJECT

public:
    explicit CSequencer(ITimerSource& timers, QObject* parent = nullptr);
    ~CSequencer() override;

    // Hands the document's entered settings to the runs.
    void watch(const CUbrixVorelDoc& doc);

    CPacing defaultPacing() const { return m_defaultPacing; }
    void setDefaultPacing(CPacing pacing) { m_defaultPacing = pacing; }
    ITimerSource& timers() { return m_timers; }

    // Starts a run; a run of the same name that still runs is stopped first. The steps up to
    // the first pause run before this returns, so the run may already be over (outcome()).
    // The run stays valid until control returns to the event loop after it finished.
    CSequenceRun* start(const QString& name, CSequenceRun::StepSource steps);
    CSequenceRun* start(const QString& name, CSequenceRun::StepSource steps, CPacing pacing);
    // A run whose lanes go on at the same time; it is over when all of them are.
    CSequenceRun* start(const QString& name, std::vector<CSequenceRun::StepSource> lanes,
                        CPacing pacing);
    // The run of that name that is still running, or null.
    CSequenceRun* run(const QString& name) const;
    void stopAll();

    void settingEntered(const CEnteredSetting& setting);

signals:
    // A run began (before its first step), so that whoever shows progress can attach.
    void runStarted(CSequenceRun* run);

private:
    void forget(CSequenceRun* run);

    ITimerSource& m_timers;
    CPacing m_defaultPacing = CPacing::ByReplies;
    std::vector<QPointer<CSequenceRun>> m_runs;
};
