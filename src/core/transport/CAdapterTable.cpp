#include "core/transport/CAdapterTable.h"

#include "core/common/IUserNotifier.h"
#include "core/transport/CIpv4Address.h"

#include <QFileInfo>
#include <QHostAddress>
#include <QNetworkInterface>
#include <algorithm>

namespace {

bool isUsable(const CAdapterCandidate& candidate) {
    const bool wantedKind = candidate.kind == CAdapterCandidate::Kind::Ethernet ||
                            candidate.kind == CAdapterCandidate::Kind::Wireless;
    // Without an IPv4 address there is nothing to bind to or to be answered on.
    return candidate.up && wantedKind && !candidate.ipv4Addresses.isEmpty();
}

CAdapterEntry entryFor(const CAdapterCandidate& candidate) {
    CAdapterEntry entry;
    entry.name = candidate.name.left(CAdapterTable::kMaxNameLength);
    entry.address = candidate.ipv4Addresses.front();
    entry.type = candidate.kind == CAdapterCandidate::Kind::Wireless ? CAdapterEntry::kTypeWireless
                                                                     : CAdapterEntry::kTypeEthernet;
    entry.interfaceIndex = candidate.interfaceIndex;
    return entry;
}

// Real network cards have a device behind them in sysfs; bridges, veth, tap and the like
// do not. (In a network namespace of its own, where sysfs shows other links, every link
// reads as virtual: nothing there is physical anyway.)
bool isVirtualOnLinux(const QString& name) {
    return !QFileInfo::exists(QStringLiteral("/sys/class/net/") + name + QStringLiteral("/device"));
}

// Linux names Wi-Fi links Ethernet; the kernel marks them in sysfs.
bool isWirelessOnLinux(const QString& name) {
    const QString base = QStringLiteral("/sys/class/net/") + name;
    return QFileInfo::exists(base + QStringLiteral("/wireless")) ||
           QFileInfo::exists(base + QStringLiteral("/phy80211"));
}

CAdapterCandidate::Kind kindOf(const QNetworkInterface& interface) {
    switch (interface.type()) {
        case QNetworkInterface::Ethernet:
            return isWirelessOnLinux(interface.name()) ? CAdapterCandidate::Kind::Wireless
                                                       : CAdapterCandidate::Kind::Ethernet;
        case QNetworkInterface::Wifi:
            return CAdapterCandidate::Kind::Wireless;
        case QNetworkInterface::Loopback:
            return CAdapterCandidate::Kind::Loopback;
        default:
            return CAdapterCandidate::Kind::Other;
    }
}

CAdapterCandidate candidateFor(const QNetworkInterface& interface) {
    CAdapterCandidate candidate;
    candidate.name = interface.humanReadableName();
    candidate.kind = kindOf(interface);
    candidate.isVirtual = isVirtualOnLinux(interface.name());
    const auto flags = interface.flags();
    candidate.up =
        flags.testFlag(QNetworkInterface::IsUp) && flags.testFlag(QNetworkInterface::IsRunning);
    candidate.interfaceIndex = interface.index();
    for (const QNetworkAddressEntry& address : interface.addressEntries()) {
        if (address.ip().protocol() == QAbstractSocket::IPv4Protocol) {
            candidate.ipv4Addresses.append(CIpv4Address::fromQHostAddress(address.ip()));
        }
    }
    return candidate;
}

}  // namespace

CAdapterTable CAdapterTable::fromCandidates(const QList<CAdapterCandidate>& candidates) {
    // Adapters with a cable or radio behind them come first, in the system's order, then
    // the virtual links: a host with many bridges and veth links must not push its real
    // adapters out of the table, nor have a bridge taken for its wired adapter.
    QList<CAdapterCandidate> usable;
    for (const CAdapterCandidate& candidate : candidates) {
        if (isUsable(candidate)) {
            usable.append(candidate);
        }
    }
    std::stable_partition(usable.begin(), usable.end(),
                          [](const CAdapterCandidate& candidate) { return !candidate.isVirtual; });
    CAdapterTable table;
    int physical = 0;  // the first entries
    for (const CAdapterCandidate& candidate : usable.mid(0, kMaxEntries)) {
        table.m_entries.append(entryFor(candidate));
        physical += candidate.isVirtual ? 0 : 1;
    }
    if (table.m_entries.isEmpty()) {
        table.m_message = QString::fromLatin1(kNoValidInterfaces);
        return table;
    }
    // Virtual links stand in for wired adapters only where there is nothing physical.
    const int wiredCandidates = physical > 0 ? physical : table.count();
    for (int i = 0; i < wiredCandidates; ++i) {
        if (table.m_entries[i].isWired()) {
            table.m_selected = i;
            return table;
        }
    }
    table.m_message = QString::fromLatin1(kNoWiredInterfaces);
    return table;
}

QList<CAdapterCandidate> CAdapterTable::systemCandidates() {
    QList<CAdapterCandidate> candidates;
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        candidates.append(candidateFor(interface));
    }
    return candidates;
}

CAdapterTable CAdapterTable::enumerate(IUserNotifier& notifier) {
    CAdapterTable table = fromCandidates(systemCandidates());
    if (!table.m_message.isEmpty()) {
        notifier.showMessage(table.m_message);
    }
    return table;
}

bool CAdapterTable::select(int index) {
    if (index < 0 || index >= count()) {
        return false;
    }
    m_selected = index;
    return true;
}

CAdapterEntry CAdapterTable::selectedEntry() const {
    if (m_entries.isEmpty()) {
        return CAdapterEntry{};
    }
    return m_entries[m_selected];
}

CAdapterEntry CAdapterTable::demoAdapter() {
    CAdapterEntry entry;
    entry.name = QStringLiteral("Demo (loopback)");
    entry.address = CIpv4Address::fromHostOrder(0x7F000001u);
    entry.type = CAdapterEntry::kTypeEthernet;
    entry.interfaceIndex = 0;
    entry.broadcastAddress = CIpv4Address::fromHostOrder(0x7FFFFFFFu);
    return entry;
}

void CAdapterTable::addDemoAdapter() {
    if (m_entries.size() == kMaxEntries) {
        m_entries.removeLast();
    }
    m_entries.append(demoAdapter());
    m_selected = count() - 1;
}
