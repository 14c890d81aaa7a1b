#pragma once

#include "core/journal/CChangeCommand.h"
#include "core/journal/CJournalEntry.h"
#include "core/journal/CJournalFile.h"

#include <QObject>
#include <QString>
#include <chrono>
#include <list>
#include <memory>

#include "core/common/ITickTimer.h"

class CUbrixVorelDoc;
class IClock;
class ITimerSource;
struct CEnteredSetting;

// The journal of every change the program or vorel-cli sends. It is told every text that
// leaves (the transport's textSent), keeps those that change something (CChangeCommand)
// and writes each one once its outcome is known: echoed when the device reports the value
// sent, refused when it reports another value, silent when nothing came within the echo
// window (a restart is silent at once; a device armed for its discover button has two
// minutes). What a change is part of (an upload, a replacement) is the activity its
// owner declares; a preset file's lines are known by their slots; anything else is a
// "set", an "address" or a "restart". A credential's value (CSecretRule) never reaches the
// journal: the command shows "(set)" or "(empty)" in its place.
class CChangeJournal : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kEchoWindow{5000};
    static constexpr std::chrono::milliseconds kPressWindow{120000};

    // Declares what the changes sent while it lives are part of ("upload", "replace"). An
    // activity already declared stays: a replacement's upload is the replacement's.
    class Activity {
    public:
        Activity(CChangeJournal* journal, const QString& action);
        ~Activity();
        Activity(const Activity&) = delete;
        Activity& operator=(const Activity&) = delete;

    private:
        CChangeJournal* m_journal = nullptr;
    };

    // Appends to path, opened at the first change (nothing is written for an empty path;
    // entryWritten() still tells).
    CChangeJournal(const CUbrixVorelDoc& doc, ITimerSource& timers, const IClock& clock,
                   QString tool, const QString& path, QObject* parent = nullptr);
    ~CChangeJournal() override;

    // A text that went out to address (255.255.255.255: every gateway).
    void noteSent(const QByteArray& text, quint32 address);
    // Writes every change still waiting for its echo as silent.
    void settleAll();
    int pendingCount() const { return static_cast<int>(m_pending.size()); }
    QString path() const { return m_path; }

signals:
    void entryWritten(const CJournalEntry& entry);

private:
    struct Pending {
        CJournalEntry entry;
        CChangeCommand change;
        QByteArray gateway;  // dotted; empty when sent to every gateway
        std::chrono::milliseconds deadline;
    };

    static constexpr std::chrono::milliseconds kTick{250};

    QString actionOf(const CChangeCommand& change) const;
    QString commandText(const QByteArray& text, const CChangeCommand& change) const;
    void settingEntered(const CEnteredSetting& setting);
    void deviceAnnounced(const QByteArray& gateway, const QByteArray& attribute,
                         const QByteArray& number);
    void settle(std::list<Pending>::iterator pending, CJournalEntry::Outcome outcome);
    void tick();
    void write(const CJournalEntry& entry);

    const CUbrixVorelDoc& m_doc;
    const IClock& m_clock;
    QString m_tool;
    QString m_path;
    QString m_activity;
    CJournalFile m_file;
    std::list<Pending> m_pending;
    // One timer ticks while changes wait; time counts in its ticks.
    std::unique_ptr<ITickTimer> m_timer;
    std::chrono::milliseconds m_elapsed{0};
};
