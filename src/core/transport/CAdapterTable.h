#pragma once

#include "core/transport/CAdapterCandidate.h"
#include "core/transport/CAdapterEntry.h"

#include <QList>
#include <QString>

class IUserNotifier;

// The network adapters the program can bind to and broadcast through: up, wired
// Ethernet or Wi-Fi, with an IPv4 address, at most ten, in the system's order. The first
// wired one is selected at every start.
class CAdapterTable {
public:
    static constexpr int kMaxEntries = 10;
    static constexpr int kMaxNameLength = 30;
    static constexpr const char* kNoValidInterfaces = "No valid Ethernet interfaces detected";
    static constexpr const char* kNoWiredInterfaces =
        "No wired Ethernet interfaces detected\n"
        "It is highly recommended to use wired connections not wireless";

    // The table's rules over plain data; startupMessage() tells what the user is told.
    static CAdapterTable fromCandidates(const QList<CAdapterCandidate>& candidates);
    // The interfaces of this machine.
    static QList<CAdapterCandidate> systemCandidates();
    // The table of this machine; the start-up message, if any, goes to the notifier.
    static CAdapterTable enumerate(IUserNotifier& notifier);

    const QList<CAdapterEntry>& entries() const { return m_entries; }
    int count() const { return static_cast<int>(m_entries.size()); }
    int selected() const { return m_selected; }
    // False, and the selection unchanged, for an index outside the table.
    bool select(int index);
    // The selected adapter; with an empty table an entry whose address is 0 (any).
    CAdapterEntry selectedEntry() const;
    // Empty, kNoValidInterfaces or kNoWiredInterfaces.
    QString startupMessage() const { return m_message; }

    // Adds the loopback adapter of the demonstration mode (127.0.0.1, broadcasts to
    // 127.255.255.255) at the end and selects it. Replaces the last entry if full.
    void addDemoAdapter();
    static CAdapterEntry demoAdapter();

private:
    QList<CAdapterEntry> m_entries;
    int m_selected = 0;
    QString m_message;
};
