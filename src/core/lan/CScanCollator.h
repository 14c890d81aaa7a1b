#pragma once

#include "core/lan/CLanScanRow.h"

#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>
#include <vector>

// Puts the answers of a concurrent scan back in address order. Probes of the /24 settle
// in any order (a host that answers at once overtakes one whose silence takes seconds);
// the list still grows from .1 to .254, its first column counts found hosts, and the
// progress counts the addresses that are through.
class CScanCollator {
public:
    static constexpr int kFirstHost = 1;
    static constexpr int kLastHost = 254;
    static constexpr int kHostCount = kLastHost - kFirstHost + 1;

    // Any address of the network; its last octet is replaced by each host number.
    explicit CScanCollator(quint32 networkAddress);

    // Addresses in network byte order.
    static quint32 hostAddress(quint32 networkAddress, int host);
    quint32 addressOf(int host) const { return hostAddress(m_network, host); }

    // Settling a host twice, or one outside 1..254, is ignored.
    void settleSilent(int host);
    void settleFound(int host, const CMacAddress& mac, const QString& name);
    bool isSettled(int host) const;

    // The rows that became due since the last call, numbered, in address order.
    QList<CLanScanRow> takeDueRows();
    // How many addresses are through, in order: the progress position, 0 to 254.
    int throughCount() const { return m_next - kFirstHost; }
    bool isComplete() const { return m_next > kLastHost; }
    // The address the list waits for next; none once every address is through.
    std::optional<quint32> waitingFor() const;

private:
    struct Outcome {
        bool settled = false;
        bool found = false;
        CMacAddress mac;
        QString name;
    };
    Outcome* outcome(int host);

    quint32 m_network = 0;
    std::vector<Outcome> m_outcomes = std::vector<Outcome>(kHostCount);
    int m_next = kFirstHost;
    int m_found = 0;
};
