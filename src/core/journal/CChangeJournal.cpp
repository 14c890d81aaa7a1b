#include "core/journal/CChangeJournal.h"

#include "core/common/CXmlText.h"
#include "core/common/IClock.h"
#include "core/common/ITimerSource.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/plan/CEnteredSetting.h"
#include "core/plan/CSecretRule.h"
#include "core/transport/CIpv4Address.h"

namespace {

using Kind = CChangeCommand::Kind;
using Outcome = CJournalEntry::Outcome;

QString wireText(QByteArrayView text) {
    return QString::fromStdString(CXmlText::fromWire(text));
}

}  // namespace

CChangeJournal::Activity::Activity(CChangeJournal* journal, const QString& action) {
    if (journal != nullptr && journal->m_activity.isEmpty()) {
        m_journal = journal;
        m_journal->m_activity = action;
    }
}

CChangeJournal::Activity::~Activity() {
    if (m_journal != nullptr) {
        m_journal->m_activity.clear();
    }
}

CChangeJournal::CChangeJournal(const CUbrixVorelDoc& doc, ITimerSource& timers, const IClock& clock,
                               QString tool, const QString& path, QObject* parent)
    : QObject(parent),
      m_doc(doc),
      m_clock(clock),
      m_tool(std::move(tool)),
      m_path(path),
      m_timer(timers.createTimer()) {
    m_timer->setTickHandler([this] { tick(); });
    connect(&doc, &CUbrixVorelDoc::settingEntered, this, &CChangeJournal::settingEntered);
    connect(&doc, &CUbrixVorelDoc::deviceAnnounced, this, &CChangeJournal::deviceAnnounced);
}

CChangeJournal::~CChangeJournal() {
    settleAll();
}

QString CChangeJournal::actionOf(const CChangeCommand& change) const {
    if (!m_activity.isEmpty()) {
        return m_activity;
    }
    switch (change.kind) {
        case Kind::GatewayRestart:
            return QStringLiteral("restart");
        case Kind::DeviceAddress:
            return QStringLiteral("address");
        case Kind::DeviceSetting:
            if (change.isPresetFileLine()) {
                return QStringLiteral("preset");
            }
            break;
        case Kind::GatewaySetting:
            break;
    }
    return QStringLiteral("set");
}

// The text as sent, but the value of a credential replaced: the journal records that it
// was changed, never what to (CSecretRule, whatever the letter case it was typed in).
QString CChangeJournal::commandText(const QByteArray& text, const CChangeCommand& change) const {
    const bool isSetting =
        change.kind == Kind::GatewaySetting || change.kind == Kind::DeviceSetting;
    return wireText(isSetting ? CSecretRule(m_doc.schema()).shownCommand(text) : text);
}

void CChangeJournal::noteSent(const QByteArray& text, quint32 address) {
    const std::optional<CChangeCommand> change = CChangeCommand::of(text);
    if (!change) {
        return;
    }
    const bool everyGateway = address == CIpv4Address::kBroadcast;
    Pending pending{
        CJournalEntry(), *change, everyGateway ? QByteArray() : CIpv4Address::toDotted(address),
        m_elapsed + (change->kind == Kind::DeviceAddress && change->device.startsWith("UID")
                         ? kPressWindow
                         : kEchoWindow)};
    CJournalEntry& entry = pending.entry;
    entry.time = m_clock.now().toUTC();
    entry.tool = m_tool;
    entry.action = actionOf(*change);
    entry.gateway = everyGateway ? QStringLiteral("all") : QString::fromLatin1(pending.gateway);
    entry.device = QString::fromLatin1(change->device);
    entry.command = commandText(text, *change);
    if (change->kind == Kind::GatewayRestart) {
        entry.outcome = Outcome::Silent;
        write(entry);
        return;
    }
    m_pending.push_back(std::move(pending));
    if (!m_timer->isActive()) {
        m_timer->start(kTick);
    }
}

// A reply settles the oldest change it answers, and only that one: of two values set in a
// row, the echo of the first is not the refusal of the second.
void CChangeJournal::settingEntered(const CEnteredSetting& setting) {
    for (auto pending = m_pending.begin(); pending != m_pending.end(); ++pending) {
        const CChangeCommand& change = pending->change;
        if (!pending->gateway.isEmpty() && pending->gateway != setting.gateway) {
            continue;
        }
        const bool fromDevice =
            !setting.isGateway() && setting.number == QByteArray::number(change.uid);
        if (change.kind == Kind::DeviceAddress) {
            if (fromDevice) {
                settle(pending, Outcome::Echoed);
                return;
            }
            continue;
        }
        const bool fromTarget =
            change.kind == Kind::GatewaySetting ? setting.isGateway() : fromDevice;
        if (fromTarget && setting.address.text() == change.address.text()) {
            settle(pending, setting.value == change.value ? Outcome::Echoed : Outcome::Refused);
            return;
        }
    }
}

void CChangeJournal::deviceAnnounced(const QByteArray& gateway, const QByteArray& attribute,
                                     const QByteArray& number) {
    for (auto pending = m_pending.begin(); pending != m_pending.end(); ++pending) {
        if (pending->change.kind == Kind::DeviceAddress && attribute == "UID" &&
            number == QByteArray::number(pending->change.uid) &&
            (pending->gateway.isEmpty() || pending->gateway == gateway)) {
            settle(pending, Outcome::Echoed);
            return;
        }
    }
}

void CChangeJournal::tick() {
    m_elapsed += kTick;
    for (auto pending = m_pending.begin(); pending != m_pending.end();) {
        const auto current = pending++;
        if (current->deadline <= m_elapsed) {
            settle(current, Outcome::Silent);
        }
    }
}

void CChangeJournal::settleAll() {
    while (!m_pending.empty()) {
        settle(m_pending.begin(), Outcome::Silent);
    }
}

void CChangeJournal::settle(std::list<Pending>::iterator pending, Outcome outcome) {
    pending->entry.outcome = outcome;
    const CJournalEntry entry = pending->entry;
    m_pending.erase(pending);
    if (m_pending.empty()) {
        m_timer->stop();
    }
    write(entry);
}

void CChangeJournal::write(const CJournalEntry& entry) {
    // Opened at the first change: a tool that only reads never makes the folder.
    if (!m_file.isOpen() && !m_path.isEmpty()) {
        m_file.open(m_path);
    }
    if (m_file.isOpen()) {
        m_file.append(entry);
    }
    emit entryWritten(entry);
}
