#include "gui/upload/CUploadDialog.h"

#include "core/sequence/CSequencer.h"
#include "core/settings/CSettings.h"
#include "core/upload/CUploadRun.h"
#include "gui/base/CDialogService.h"
#include "gui/base/CMessageBoxNotifier.h"
#include "gui/base/CModalRunner.h"
#include "gui/base/CViewContext.h"
#include "gui/base/CViewState.h"
#include "gui/upload/CUploadPreviewDlg.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

IUploadLink::Answer askDiscover(const QString& text) {
    switch (
        CDialogService::message(text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
        case QMessageBox::Yes:
            return IUploadLink::Answer::Yes;
        case QMessageBox::No:
            return IUploadLink::Answer::No;
        default:
            return IUploadLink::Answer::Cancel;
    }
}

}  // namespace

CUploadDialog::CUploadDialog(const CViewContext& context, const QString& caption, MakeRun makeRun,
                             QWidget* parent)
    : QDialog(parent),
      m_context(context),
      m_makeRun(std::move(makeRun)),
      m_notifier(std::make_unique<CMessageBoxNotifier>()),
      m_link(std::make_unique<CTransportUploadLink>(context.transport, *m_notifier, askDiscover)),
      m_activity(new QLabel(QStringLiteral("Upload in process"), this)),
      m_device(new QPlainTextEdit(this)),
      m_progress(new QProgressBar(this)),
      m_stop(new QPushButton(QStringLiteral("Stop"), this)) {
    setWindowTitle(caption);
    m_device->setObjectName(QStringLiteral("device"));
    m_device->setReadOnly(true);
    m_device->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_progress->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_activity);
    layout->addWidget(m_device);
    layout->addWidget(m_progress);
    layout->addWidget(m_stop, 0, Qt::AlignRight);
    connect(m_stop, &QPushButton::clicked, this, &CUploadDialog::reject);
}

CUploadDialog::~CUploadDialog() {
    // A run never outlives the window it reports to.
    if (m_run) {
        m_run->stop();
    }
}

void CUploadDialog::begin() {
    startRun(true);
}

void CUploadDialog::startRun(bool dryRun) {
    CUploadOptions options;
    options.pacing = m_context.settings.pacing == 0 ? CPacing::Fixed : CPacing::ByReplies;
    options.retries = m_context.settings.retries;
    options.concurrent = m_context.settings.uploadConcurrent != 0;
    options.dryRun = dryRun;
    m_phase = dryRun ? Phase::Preview : Phase::Upload;
    m_activity->setText(dryRun ? QStringLiteral("Reading the devices")
                               : QStringLiteral("Upload in process"));
    if (!dryRun) {
        m_uploading =
            std::make_unique<CChangeJournal::Activity>(m_context.journal, QStringLiteral("upload"));
    }
    m_run = m_makeRun(options);
    connect(m_run.get(), &CUploadRun::progress, this, [this](int done, int total) {
        m_progress->setRange(0, std::max(total, 1));
        m_progress->setValue(done);
    });
    // Every bus goes on at the same time: the window names each bus's current device.
    connect(m_run.get(), &CUploadRun::deviceChanged, this,
            [this] { m_device->setPlainText(m_run->progressText()); });
    // Queued: the run's last step is still on the stack when it reports its end.
    connect(m_run.get(), &CUploadRun::finished, this, &CUploadDialog::runFinished,
            Qt::QueuedConnection);
    m_progress->setRange(0, std::max(1, m_run->total()));
    m_progress->setValue(0);
    m_run->start(m_context.sequencer);
}

void CUploadDialog::runFinished() {
    if (!m_run || !m_run->isFinished() || m_phase == Phase::Over) {
        return;
    }
    m_uploading.reset();
    // Shown, never sent from: a credential's values as "(set)" or "(empty)".
    CUploadSummary summary = m_run->summary();
    summary.hideSecrets();
    const bool stopped = summary.ending == CUploadSummary::Ending::Stopped;
    if (m_phase == Phase::Preview && !stopped && confirmPreview(summary)) {
        startRun(false);
        return;
    }
    m_phase = Phase::Over;
    const QStringList lines = summary.lines();
    m_context.state.status.say(
        summary.dryRun
            ? QStringLiteral("%1: nothing sent, the preview was not confirmed.").arg(windowTitle())
            : QStringLiteral("%1: %2 %3").arg(windowTitle(), lines.value(0), lines.value(1)));
    if (!summary.dryRun) {
        showSummary(summary);
    }
    done(0);
}

bool CUploadDialog::confirmPreview(const CUploadSummary& preview) {
    CUploadPreviewDlg dialog(preview, m_context.settings.pacing != 0, this);
    if (CModalRunner::exec(dialog) != QDialog::Accepted) {
        return false;
    }
    // The choice is the program's setting from now on, for every paced run.
    const bool byReplies = dialog.pacedByReplies();
    m_context.settings.pacing = byReplies ? 1 : 0;
    m_context.sequencer.setDefaultPacing(byReplies ? CPacing::ByReplies : CPacing::Fixed);
    return true;
}

void CUploadDialog::showSummary(const CUploadSummary& summary) {
    const QMessageBox::Icon icon = summary.exitCode() == CUploadSummary::kExitApplied
                                       ? QMessageBox::Information
                                       : QMessageBox::Warning;
    CDialogService::message(summary.lines().join(QLatin1Char('\n')), QMessageBox::Ok, icon,
                            windowTitle());
}

void CUploadDialog::reject() {
    // Stop, Esc and the close box: the run ends at once, and its end closes the dialog.
    if (m_run && m_run->isRunning()) {
        m_run->stop();
        return;
    }
    if (m_phase != Phase::Over) {
        m_phase = Phase::Over;
        done(0);
    }
}
