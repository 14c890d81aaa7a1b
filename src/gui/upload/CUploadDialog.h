#pragma once

#include "core/journal/CChangeJournal.h"
#include "core/upload/CTransportUploadLink.h"
#include "core/upload/CUploadOptions.h"

#include <QDialog>
#include <functional>
#include <memory>

class CMessageBoxNotifier;
class CUploadRun;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
struct CUploadSummary;
struct CViewContext;

// What the two upload dialogs share: the small progress window ("Upload in process", the
// device being worked on, or the devices done of the whole site and each bus's current
// device when the buses go at the same time, a progress bar, "Stop"), and its three steps. First
// every device of the project is asked for its settings and the rows are shown (what will be sent,
// what will be skipped and why); the user confirms or cancels. Then the upload runs, and at its end
// one box tells what happened. Stop, the close box and Esc end a run at once (nothing more is sent)
// and the dialog closes with it, never before.
class CUploadDialog : public QDialog {
    Q_OBJECT

public:
    enum class Phase { Preview, Upload, Over };

    ~CUploadDialog() override;

    Phase phase() const { return m_phase; }
    CUploadRun* run() const { return m_run.get(); }

    // Starts the preview; the dialog runs modally through CModalRunner from here.
    void begin();
    void reject() override;

protected:
    using MakeRun = std::function<std::unique_ptr<CUploadRun>(CUploadOptions options)>;

    CUploadDialog(const CViewContext& context, const QString& caption, MakeRun makeRun,
                  QWidget* parent);
    IUploadLink* link() const { return m_link.get(); }

private:
    void startRun(bool dryRun);
    void runFinished();
    bool confirmPreview(const CUploadSummary& preview);
    void showSummary(const CUploadSummary& summary);

    const CViewContext& m_context;
    MakeRun m_makeRun;
    std::unique_ptr<CMessageBoxNotifier> m_notifier;
    std::unique_ptr<CTransportUploadLink> m_link;
    std::unique_ptr<CUploadRun> m_run;
    // What the upload sends is journalled as the upload's.
    std::unique_ptr<CChangeJournal::Activity> m_uploading;
    Phase m_phase = Phase::Preview;
    QLabel* m_activity;
    QPlainTextEdit* m_device;
    QProgressBar* m_progress;
    QPushButton* m_stop;
};
