#pragma once

#include "core/sequence/CPacedStep.h"
#include "core/upload/CDeviceAnswers.h"
#include "core/upload/CUploadDevice.h"
#include "core/upload/CUploadOptions.h"
#include "core/upload/CUploadSummary.h"
#include "core/upload/IUploadLink.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
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
//
// The devices are worked through in lanes: one lane for all of them in the project's order,
// or, where every device has a way of its own (the gateways), a lane per device that goes on
// at the same time as the others. A query whose report leaves the upload short (no TYPE, or
// a setting of the project not reported) and a set whose echo did not come are sent again,
// as often as the options' retries and CRetryRule allow.
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
    // Whether each device may have a lane of its own (its commands reach it alone).
    virtual bool devicesGoInParallel() const { return false; }
    // The work on the current device; ends by calling nextDevice() (directly or after
    // pauses) or endRun().
    virtual void beginDevice() = 0;
    // Whether an entered setting is a report (or an echo) of that device.
    virtual bool isReportOf(const CEnteredSetting& setting, size_t device) const = 0;
    // A command of the current device could not go out (its line is written).
    virtual void afterSendFailure() = 0;
    // Asks the current device for all its settings again (as its first query), then next.
    virtual void queryAgainThen(Next next) = 0;

    // Plumbing of the continuations: the next thing to do now, or after a pause that the
    // awaited replies may end early when pacing by replies.
    void then(Next next);
    void pauseThen(std::chrono::milliseconds pause, CAwait await, Next next);
    void pauseThen(std::chrono::milliseconds pause, Next next) { pauseThen(pause, {}, next); }

    void nextDevice();
    // Ends the current lane (the whole run when it has one) after the final pause.
    void endRun(CUploadSummary::Ending ending);

    const CUploadDevice& current() const { return m_devices[lane().current]; }
    const CUploadDevice& deviceAt(size_t index) const { return m_devices[index]; }
    CDeviceOutcome& outcome() { return m_summary.devices[lane().current]; }
    size_t currentIndex() const { return lane().current; }
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
    const CDeviceAnswers& reported() const { return lane().reported; }
    // Sends the query, then next after the pause (ended early by await). While the report
    // leaves the upload short of something, the query goes again (each time with the same
    // pause) as often as the retries allow in a row: a pause that brought more of the
    // report starts them afresh. A send that fails ends in afterSendFailure().
    void queryThen(const QByteArray& text, quint32 address, std::chrono::milliseconds pause,
                   CAwait await, Next next);
    // Walks the compared rows of the current device: logs each, sends the differences (each
    // followed by setPause, ended early by its echo, and sent again while no echo came),
    // asks the device again when an echo never came, and goes on with the next device.
    void compareAndSend(const CValidationSchema& schema, quint32 address,
                        std::chrono::milliseconds setPause);
    // Sends; a failure writes the line, marks the device and returns false.
    bool sendOrFail(const QByteArray& text, quint32 address);
    void setArmedUid(std::optional<int> uid) { m_summary.armedUid = uid; }
    std::optional<int> armedUid() const { return m_summary.armedUid; }

private:
    static constexpr size_t kNoDevice = static_cast<size_t>(-1);

    // One strand of the work: its devices in order and where it stands.
    struct Lane {
        std::vector<size_t> devices;
        size_t position = 0;
        size_t current = kNoDevice;
        size_t row = 0;
        int visited = 0;  // settings of the current device visited so far
        bool recording = false;
        CDeviceAnswers reported;
        std::optional<CPacedStep> pending;
        Next next;
    };

    Lane& lane() { return *m_lane; }
    const Lane& lane() const { return *m_lane; }
    std::optional<CPacedStep> nextStep(Lane& lane);
    void beginLane();
    void settingEntered(const CEnteredSetting& setting);
    // Whether the current device's report leaves the upload short: no TYPE, or (of the
    // project's type) a setting of the project that it did not report.
    bool reportIsShort() const;
    // A query that is out, and what comes after it.
    struct Asking {
        QByteArray text;
        quint32 address = 0;
        std::chrono::milliseconds pause{0};
        CAwait await;
        Next next;
        int repeats = 0;  // repeats in a row after pauses that brought nothing new, at most
    };
    void askAgain(const Asking& asking, int repeatsLeft);
    void handleRow(quint32 address, std::chrono::milliseconds setPause);
    void afterRows();
    void sendRow(size_t index, quint32 address, std::chrono::milliseconds setPause,
                 int repeatsLeft);
    void runFinished();
    CAwait outstandingEcho() const;

    CUbrixVorelDoc& m_doc;
    IUploadLink& m_link;
    CUploadOptions m_options;
    const pugi::xml_document* m_project = nullptr;
    QPointer<CSequenceRun> m_run;

    std::vector<CUploadDevice> m_devices;
    std::vector<std::unique_ptr<Lane>> m_lanes;
    // The lane whose continuation runs now (set while the sequencer asks it for a step).
    Lane* m_lane = nullptr;
    bool m_started = false;
    int m_total = 0;
    int m_done = 0;

    struct Echo {
        size_t device;
        size_t row;
    };
    std::vector<Echo> m_awaitingEcho;

    CUploadSummary::Ending m_ending = CUploadSummary::Ending::Completed;
    CUploadSummary m_summary;
    bool m_finished = false;
};
