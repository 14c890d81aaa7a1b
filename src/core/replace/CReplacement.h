#pragma once

#include "core/replace/CReplacementProject.h"
#include "core/upload/CUploadRun.h"

#include <QObject>
#include <QPointer>
#include <memory>
#include <optional>

class CSequenceRun;
class CSequencer;
class CUbrixVorelDoc;
class IUploadLink;

// Puts a new unit in the place of a failed one and gives it the old one's settings.
// A bus device: first UID n must be silent (a device still answering is never replaced:
// "#UIDn=?;" to every gateway, 3 s); then the new device takes UID n, by its serial number
// ("#SNs.UID=n;" to its gateway, at most 2 s for its "+UIDn") or by its discover button
// ("#UID=n;" to its gateway, then up to two minutes for it to answer); then the bus device
// upload gives it the settings, and refuses a device of another type. A gateway: the unit answering
// at the old address gets the old settings through the gateway upload, with the same type check.
// Everything runs on the sequencer; the outcome says how it ended. A dry run changes
// nothing: for a bus device it ends after the silence check (the new device cannot be
// asked before it has the UID: CReplacementProject::preview() says what would be sent),
// for a gateway it is the gateway upload's dry run against the unit at the address.
class CReplacement : public QObject {
    Q_OBJECT

public:
    enum class Outcome {
        Replaced,        // every setting sent was echoed
        Previewed,       // a dry run: UID n is silent (a gateway: it answered, rows compared)
        StillAnswering,  // UID n answered: nothing was changed
        TypeRefused,     // the new unit is of another type; no setting was sent
        NotFound,        // no new device took the UID, or the gateway did not answer
        Incomplete,      // some settings were not echoed
        Failed,          // a command could not go out
        Stopped,
    };

    struct Target {
        CUploadDevice::Kind kind = CUploadDevice::Kind::BusDevice;
        quint32 gateway = 0;            // the bus's gateway, or the gateway replaced
        std::optional<quint32> serial;  // the new bus device; none: by its discover button
    };

    static constexpr std::chrono::milliseconds kSilencePause{3000};
    static constexpr std::chrono::milliseconds kAddressPass{250};
    static constexpr int kAddressPasses = 8;
    static constexpr std::chrono::milliseconds kPressPass{1000};
    static constexpr int kPressPasses = 120;

    CReplacement(CUbrixVorelDoc& doc, IUploadLink& link, const CReplacementProject& project,
                 Target target, CUploadOptions options, QObject* parent = nullptr);
    ~CReplacement() override;

    void start(CSequencer& sequencer);
    void stop();
    bool isFinished() const { return m_outcome.has_value(); }
    std::optional<Outcome> outcome() const { return m_outcome; }
    // Who answered as UID n (StillAnswering): the gateway it answered through.
    const QByteArray& answeredThrough() const { return m_answeredThrough; }
    // The upload's own account, once it ran.
    const CUploadSummary& summary() const { return m_summary; }
    // How it ended, in one sentence for the user: "UID 12 is replaced: every setting sent
    // was echoed.", "SN 812 behind 10.0.0.2 did not take UID 12.", ...
    QString describe() const;

signals:
    // A stage begins: "Checking that UID 12 is silent...".
    void stageChanged(const QString& text);
    void finished();

private:
    std::optional<CPacedStep> nextStep();
    void startUpload();
    void uploadFinished();
    void finish(Outcome outcome);
    void settingEntered(const CEnteredSetting& setting);
    void deviceAnnounced(const QByteArray& gateway, const QByteArray& attribute,
                         const QByteArray& number);
    bool isOurUid(const QByteArray& number) const;

    CUbrixVorelDoc& m_doc;
    IUploadLink& m_link;
    const CReplacementProject& m_project;
    Target m_target;
    CUploadOptions m_options;
    CSequencer* m_sequencer = nullptr;
    QPointer<CSequenceRun> m_run;
    std::unique_ptr<CUploadRun> m_upload;

    enum class Stage { Silence, Address, Press, Upload };
    Stage m_stage = Stage::Silence;
    int m_step = 0;
    bool m_heard = false;  // UID n answered or announced itself in the current stage
    QByteArray m_answeredThrough;
    CUploadSummary m_summary;
    std::optional<Outcome> m_outcome;
};
