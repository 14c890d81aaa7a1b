#include "core/sequence/CSequencer.h"

#include "core/document/CUbrixVorelDoc.h"

#include <algorithm>

CSequencer::CSequencer(ITimerSource& timers, QObject* parent) : QObject(parent), m_timers(timers) {}

CSequencer::~CSequencer() {
    stopAll();
}

void CSequencer::watch(const CUbrixVorelDoc& doc) {
    connect(&doc, &CUbrixVorelDoc::settingEntered, this, &CSequencer::settingEntered);
}

CSequenceRun* CSequencer::start(const QString& name, CSequenceRun::StepSource steps) {
    return start(name, std::move(steps), m_defaultPacing);
}

CSequenceRun* CSequencer::start(const QString& name, CSequenceRun::StepSource steps,
                                CPacing pacing) {
    return start(name, std::vector<CSequenceRun::StepSource>{std::move(steps)}, pacing);
}

CSequenceRun* CSequencer::start(const QString& name, std::vector<CSequenceRun::StepSource> lanes,
                                CPacing pacing) {
    if (CSequenceRun* running = run(name)) {
        running->stop();
    }
    auto* created = new CSequenceRun(name, std::move(lanes), pacing, m_timers, this);
    m_runs.emplace_back(created);
    connect(created, &CSequenceRun::finished, this, [this, created] { forget(created); });
    emit runStarted(created);
    created->begin();
    return created;
}

CSequenceRun* CSequencer::run(const QString& name) const {
    for (const QPointer<CSequenceRun>& candidate : m_runs) {
        if (candidate && candidate->isRunning() && candidate->name() == name) {
            return candidate;
        }
    }
    return nullptr;
}

void CSequencer::stopAll() {
    const std::vector<QPointer<CSequenceRun>> runs = m_runs;
    for (const QPointer<CSequenceRun>& running : runs) {
        if (running) {
            running->stop();
        }
    }
}

void CSequencer::settingEntered(const CEnteredSetting& setting) {
    const std::vector<QPointer<CSequenceRun>> runs = m_runs;
    for (const QPointer<CSequenceRun>& running : runs) {
        if (running) {
            running->settingEntered(setting);
        }
    }
}

void CSequencer::forget(CSequenceRun* run) {
    m_runs.erase(std::remove(m_runs.begin(), m_runs.end(), run), m_runs.end());
    run->deleteLater();
}
