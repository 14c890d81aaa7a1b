#include "core/lan/CNeighbourTable.h"

#include "core/transport/CIpv4Address.h"

#include <QFile>

namespace {

// Address, hardware type, flags, hardware address, mask, device.
constexpr qsizetype kFieldCount = 6;
// ARPHRD_ETHER: the only hardware type whose addresses are six bytes.
constexpr quint32 kHardwareEthernet = 1;

std::optional<quint32> hexNumber(const QByteArray& text) {
    bool ok = false;
    const quint32 value = text.toUInt(&ok, 16);  // accepts the "0x" prefix
    if (!ok) {
        return std::nullopt;
    }
    return value;
}

std::optional<CNeighbourEntry> parseLine(const QByteArray& line) {
    const QList<QByteArray> fields = line.simplified().split(' ');
    if (fields.size() < kFieldCount) {
        return std::nullopt;
    }
    bool dotted = false;
    CNeighbourEntry entry;
    entry.address = CIpv4Address::fromDotted(fields[0], &dotted);
    const std::optional<quint32> hardwareType = hexNumber(fields[1]);
    const std::optional<quint32> flags = hexNumber(fields[2]);
    const std::optional<CMacAddress> mac = CMacAddress::fromText(fields[3]);
    if (!dotted || !hardwareType || *hardwareType != kHardwareEthernet || !flags || !mac) {
        return std::nullopt;
    }
    entry.flags = *flags;
    entry.mac = *mac;
    entry.device = fields[5];
    return entry;
}

}  // namespace

CNeighbourTable CNeighbourTable::parse(QByteArrayView text) {
    CNeighbourTable table;
    for (const QByteArray& line : text.toByteArray().split('\n')) {
        if (const std::optional<CNeighbourEntry> entry = parseLine(line)) {
            table.m_entries.append(*entry);
        }
    }
    return table;
}

CNeighbourTable CNeighbourTable::readFile(const QString& path) {
    QFile file(path);
    // The kernel's table reports a size of 0, so read until the end rather than by size.
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return parse(file.readAll());
}

QHash<quint32, CMacAddress> CNeighbourTable::answeredHosts() const {
    QHash<quint32, CMacAddress> hosts;
    for (const CNeighbourEntry& entry : m_entries) {
        if (entry.hasAnswered()) {
            hosts.insert(entry.address, entry.mac);
        }
    }
    return hosts;
}
