#include "gui/views/CRunProgress.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>

namespace {

QPushButton* makeButton(const QString& caption, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

CRunProgress::CRunProgress(const QString& title, const QString& caption, const QString& name,
                           int range, QWidget* parent)
    : QGroupBox(title, parent) {
    m_start = makeButton(caption, name, this);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setTextVisible(false);
    m_progress->setRange(0, range);
    m_stop = makeButton(QStringLiteral("Stop"), QStringLiteral("stop"), this);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_start);
    layout->addWidget(m_progress, 1);
    layout->addWidget(m_stop);
    connect(m_start, &QPushButton::clicked, this, &CRunProgress::startClicked);
    connect(m_stop, &QPushButton::clicked, this, [this] {
        if (m_run) {
            m_run->stop();
        }
    });
    showRunning(false);
}

void CRunProgress::follow(CSequenceRun* run) {
    if (run == nullptr || !run->isRunning()) {
        return;
    }
    m_run = run;
    m_progress->setValue(run->lastProgress());
    showRunning(true);
    connect(run, &CSequenceRun::progress, m_progress, &QProgressBar::setValue);
    connect(run, &CSequenceRun::finished, this, &CRunProgress::runEnded);
}

void CRunProgress::runEnded(CSequenceRun::Outcome outcome) {
    const QString endMessage = m_run ? m_run->endMessage() : QString();
    const int repeats = m_run ? m_run->repeats() : 0;
    m_run = nullptr;
    showRunning(false);
    emit ended(outcome, endMessage, repeats);
}

void CRunProgress::showRunning(bool running) {
    m_start->setEnabled(!running);
    m_progress->setVisible(running);
    m_stop->setVisible(running);
}
