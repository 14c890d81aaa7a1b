#pragma once

#include "core/sequence/CSequenceRun.h"

#include <QGroupBox>
#include <QPointer>
#include <QString>

class QProgressBar;
class QPushButton;

// A view's group for a run of the program's sequencer that outlives the view (the bus view's
// Collect): the button that starts it, and a progress bar and Stop that show only while the
// run goes on. A view made while the run goes on follows it from where it is.
class CRunProgress : public QGroupBox {
    Q_OBJECT

public:
    // The start button has caption and the object name name.
    CRunProgress(const QString& title, const QString& caption, const QString& name, int range,
                 QWidget* parent = nullptr);

    // The run to show until it ends; null or over: nothing.
    void follow(CSequenceRun* run);
    bool isFollowing() const { return m_run != nullptr; }

signals:
    void startClicked();
    // The run followed ended: how, its end message and how many of its steps went again.
    void ended(CSequenceRun::Outcome outcome, const QString& endMessage, int repeats);

private:
    void runEnded(CSequenceRun::Outcome outcome);
    void showRunning(bool running);

    QPushButton* m_start = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_stop = nullptr;
    QPointer<CSequenceRun> m_run;
};
