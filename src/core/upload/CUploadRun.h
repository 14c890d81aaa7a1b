#pragma once

#include "core/sequence/CPacedStep.h"
#include "core/upload/CDeviceAnswers.h"
#include "core/upload/CUploadDevice.h"
#include "core/upload/CUploadLanes.h"
#include "core/upload/CUploadOptions.h"
#include "core/upload/CUploadSummary.h"
#include "core/upload/IUploadLink.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <set>
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
// The devices are worked through in lanes that go on at the same time (lanesFor: a lane per
// gateway for the gateway upload, a lane per bus for the bus device upload), each in its
// own order; devices that belong to no lane come after all of them. Not concurrent: one
// lane, one device after another. A query whose report leaves the upload short (no TYPE,
// or a setting of the project not reported) goes again, or, when only a few settings are
// missing, those settings are asked by name; a set whose echo did not come goes again, and
// when no echo came in the end its setting is asked by name: what the device reports then
// decides. All as often as the options' retries and CRetryRule allow.
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
    // Devices done with, of all lanes, and how many there are.
    int devicesDone() const { return m_devicesDone; }
    int deviceCount() const { return static_cast<int>(m_devices.size()); }
    // Where the run stands, for a progress window: the device being worked on ("UID: 12")
    // with one lane; with several, the devices done of all, and each lane's current device
    // ("10.0.0.2: UID 12"), a line each.
    QString progressText() const;

signals:
    void progress(int done, int total);
    // "IP: 10.0.0.2" or "UID: 12": a lane has begun this device.
    void deviceChanged(const QString& text);
    void finished();

protected:
    using Next = std::function<void()>;

    virtual const char* runName() const = 0;
    virtual std::vector<CUploadDevice> devicesOf(const pugi::xml_document& project) const = 0;
    // How the devices go when the upload is concurrent: one lane for all of them unless the
    // upload knows better.
    virtual CUploadLanes lanesFor(const std::vector<CUploadDevice>& devices) const;
    // "IP: 10.0.0.2", "UID: 12": the device as the progress names it.
    virtual QString progressName(const CUploadDevice& device) const = 0;
    // The work on the current device; ends by calling nextDevice() (directly or after
    // pauses) or endRun().
    virtual void beginDevice() = 0;
    // Whether an entered setting is a report (or an echo) of that device.
    virtual bool isReportOf(const CEnteredSetting& setting, size_t device) const = 0;
    // A command of the current device could not go out (its line is written).
    virtual void afterSendFailure() = 0;
    // Asks the current device for all its settings again (as its first query), then next.
    virtual void queryAgainThen(Next next) = 0;
    // The text that asks the current device for the one setting at that (well-formed) place.
    virtual QByteArray settingQuery(const CSettingAddress& place) const = 0;
    // Where the current device's commands go, and how long a question about one setting
    // (or a set) waits for its answer.
    virtual quint32 destination() const = 0;
    virtual std::chrono::milliseconds oneSettingPause() const = 0;

    // Plumbing of the continuations: the next thing to do now, or after a pause that the
    // awaited replies may end early when pacing by replies.
    void then(Next next);
    void pauseThen(std::chrono::milliseconds pause, CAwait await, Next next);
    void pauseThen(std::chrono::milliseconds pause, Next next) {
        pauseThen(pause, {}, std::move(next));
    }

    void nextDevice();
    // Ends the current lane after the final pause. Cancelled: the other lanes end too, each
    // once it is done with its current device, and nothing comes afterwards.
    void endRun(CUploadSummary::Ending ending);
    // The other lanes end once they are done with their current device: a command of this
    // upload could not go out, and none of theirs will either.
    void endEveryLane() { m_closing = true; }

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
    // followed by the one-setting pause, ended early by its echo, and sent again while no
    // echo came), asks each setting whose echo never came by name, and goes on with the
    // next device.
    void compareAndSend(const CValidationSchema& schema);
    // A device that did not answer however often it was asked may have met a bad moment of
    // the site's network: the first time, it goes to the end of its lane and is asked again
    // there, and the lane goes on with its next device. False (and nothing changes) when it
    // came back already or nothing is asked again.
    bool comeBackLater();
    // Sends; a failure writes the line, marks the device and returns false.
    bool sendOrFail(const QByteArray& text, quint32 address);
    void setArmedUid(std::optional<int> uid) { m_summary.armedUid = uid; }
    std::optional<int> armedUid() const { return m_summary.armedUid; }

private:
    static constexpr size_t kNoDevice = static_cast<size_t>(-1);

    // One strand of the work: its devices in order and where it stands.
    struct Lane {
        QByteArray name;
        std::vector<size_t> devices;
        size_t position = 0;
        size_t current = kNoDevice;
        size_t row = 0;       // the next row to handle
        size_t verified = 0;  // the next row to check for an echo that never came
        int visited = 0;      // settings of the current device visited so far
        bool recording = false;
        bool over = false;  // its devices are done with (its final pause may still run)
        CDeviceAnswers reported;
        // The one setting the lane asks by name, and what the device answered.
        std::optional<CSettingAddress> asking;
        std::optional<QByteArray> answer;
        std::optional<CPacedStep> pending;
        Next next;
    };

    Lane& lane() { return *m_lane; }
    const Lane& lane() const { return *m_lane; }
    std::optional<CPacedStep> nextStep(Lane& asking);
    void beginLane();
    void settingEntered(const CEnteredSetting& setting);
    // Whether the current device's report leaves the upload short: no TYPE, or (of the
    // project's type) a setting of the project that it did not report.
    bool reportIsShort() const;
    // Asks the missing settings by name, in rounds, then next.
    void askMissing(std::vector<CSettingAddress> missing, int roundsLeft, const Next& next);
    // Asks missing[at] and the rest by name, each while no answer came as the retries
    // allow, then next.
    void askByName(std::vector<CSettingAddress> missing, size_t at, const Next& next);
    // Asks the one setting at place, again while no answer came (repeatsLeft times at
    // most), then next with the answer (nothing when none came).
    void askSetting(const CSettingAddress& place, int repeatsLeft,
                    const std::function<void(std::optional<QByteArray>)>& next);
    // Takes the devices that come after the lanes into this lane when it is the last one.
    bool takeAfterwards(Lane& strand);
    void beginCurrent();
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
    void handleRow();
    // The settings sent whose echo never came, asked by name one after another.
    void verifyRows();
    void verifyRow(size_t index, int roundsLeft);
    void resendThenVerify(size_t index, int roundsLeft);
    void sendRow(size_t index, int repeatsLeft, const Next& next);
    // Whether a lane is asking the device for the setting at place right now.
    bool isAskedFor(size_t device, const QByteArray& place) const;
    // The row no longer waits for its echo (unless it still counts as sent without one).
    void forgetEcho(size_t device, size_t row);
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
    std::vector<size_t> m_afterwards;
    std::set<size_t> m_comeBack;  // devices sent to the end of their lane once
    bool m_closing = false;
    bool m_started = false;
    int m_devicesDone = 0;
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
