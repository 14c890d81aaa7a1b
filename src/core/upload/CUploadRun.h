#pragma once

#include "CReportedSettings.h"
#include "CUploadDevice.h"
#include "CUploadOptions.h"
#include "CUploadSummary.h"
#include "IUploadLink.h"
#include "sequence/CPacedStep.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class CSequenceRun;
class CValidationSchema;
class CSequencer;
class CUbrixVorelDoc;
struct CEnteredSetting;

// What the gateway upload and the bus device upload share: the run of steps on the GUI
// thread (a pause is a step of the sequencer; what happens between pauses is written here
// as continuations), the devices copied out of the project at the start, the settings each
// device reported after its own query, the echoes of what was sent, the lines written into
// the traffic and the summary at the end. Nothing here reads XML while the run waits.
class CUploadRun : public QObject {
    Q_OBJECT

public:
    CUploadRun(CUbrixVorelDoc& doc, IUploadLink& link, CUploadOptions options,
               QObject* parent = nullptr);
    ~CUploadRun() override;

    // Uploads this project instead of the document's (a replacement's single device); it
    // must outlive the run. Before start().
    void uploadFrom(const pugi::xml_document& project) { m_project = &project; }
    // Starts on the sequencer. False, and nothing starts, when no project is loaded.
    bool start(CSequencer& sequencer);
    // Ends the run at once: nothing more is sent.
    void stop();
    bool isRunning() const;
    bool isFinished() const { return m_finished; }

    const CUploadOptions& options() const { return m_options; }
    // Settings the walks visit in all; progress counts up to this.
    int total() const { return m_total; }
    int done() const { return m_done; }
    const CUploadSummary& summary() const { return m_summary; }

signals:
    void progress(int done, int total);
    // "IP: 10.0.0.2" or "UID: 12": the device being worked on.
    void deviceChanged(const QString& text);
    void finished();

protected:
    using Next = std::function<void()>;

    virtual const char* runName() const = 0;
    virtual std::vector<CUploadDevice> devicesOf(const pugi::xml_document& project) const = 0;
    // The work on the current device; ends by calling nextDevice() (directly or after
    // pauses) or endRun().
    virtual void beginDevice() = 0;
    // Whether an entered setting is a report of the current device.
    virtual bool isFromCurrent(const CEnteredSetting& setting) const = 0;
    virtual bool isEchoOf(const CEnteredSetting& setting, size_t device) const = 0;
    // A command of the current device could not go out (its line is written).
    virtual void afterSendFailure() = 0;

    // Plumbing of the continuations: the next thing to do now, or after a pause that the
    // awaited replies may end early when pacing by replies.
    void then(Next next);
    void pauseThen(std::chrono::milliseconds pause, CAwait await, Next next);
    void pauseThen(std::chrono::milliseconds pause, Next next) { pauseThen(pause, {}, next); }

    void nextDevice();
    // Ends after the final pause.
    void endRun(CUploadSummary::Ending ending);

    const CUploadDevice& current() const { return m_devices[m_current]; }
    const CUploadDevice& deviceAt(size_t index) const { return m_devices[index]; }
    CDeviceOutcome& outcome() { return m_summary.devices[m_current]; }
    size_t currentIndex() const { return m_current; }
    bool isDryRun() const { return m_options.dryRun; }
    bool pacedByReplies() const;
    IUploadLink& link() { return m_link; }
    const CUbrixVorelDoc& doc() const { return m_doc; }

    // A line into the traffic history (not in a dry run).
    void log(const QByteArray& line);
    // The current device is done with: its remaining settings count as visited.
    void skipRemainingProgress();
    void visitOne();
    // From now on the current device's reports are kept; what it reported before is not.
    void startRecording();
    const CReportedSettings& reported() const { return m_reported; }
    // Walks the compared rows of the current device: logs each, sends the differences (each
    // followed by setPause, ended early by its echo) and goes on with the next device.
    void compareAndSend(const CValidationSchema& schema, quint32 address,
                        std::chrono::milliseconds setPause);
    // Sends; a failure writes the line, marks the device and returns false.
    bool sendOrFail(const QByteArray& text, quint32 address);
    void setArmedUid(std::optional<int> uid) { m_summary.armedUid = uid; }
    std::optional<int> armedUid() const { return m_summary.armedUid; }

private:
    std::optional<CPacedStep> nextStep();
    void settingEntered(const CEnteredSetting& setting);
    void handleRow(quint32 address, std::chrono::milliseconds setPause);
    void runFinished();
    CAwait outstandingEcho() const;

    CUbrixVorelDoc& m_doc;
    IUploadLink& m_link;
    CUploadOptions m_options;
    const pugi::xml_document* m_project = nullptr;
    QPointer<CSequenceRun> m_run;

    std::vector<CUploadDevice> m_devices;
    size_t m_current = 0;
    int m_total = 0;
    int m_done = 0;
    int m_doneAtDeviceStart = 0;
    size_t m_row = 0;

    bool m_recording = false;
    CReportedSettings m_reported;
    struct Echo {
        size_t device;
        size_t row;
    };
    std::vector<Echo> m_awaitingEcho;

    std::optional<CPacedStep> m_pending;
    Next m_continue;
    CUploadSummary::Ending m_ending = CUploadSummary::Ending::Completed;
    CUploadSummary m_summary;
    bool m_finished = false;
};
