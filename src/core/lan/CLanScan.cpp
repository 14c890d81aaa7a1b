#include "core/lan/CLanScan.h"

#include "core/common/IClock.h"
#include "core/lan/CReverseLookupPool.h"
#include "core/lan/CScanCollator.h"
#include "core/lan/INeighbourProbe.h"
#include "core/transport/CIpv4Address.h"

#include <QDateTime>
#include <vector>

namespace {

// Addresses of the "this network" block 0.0.0.0/8 name nobody on a link: a scan from an
// adapter without an address walks through them without asking anyone.
bool isUnaskable(quint32 address) {
    return (CIpv4Address::toHostOrder(address) >> 24) == 0;
}

// The state of one run: which addresses are being resolved, which found hosts wait for
// their names, and the rows already put in order.
class CScanRun {
public:
    CScanRun(INeighbourProbe& probe, std::shared_ptr<IHostNameResolver> resolver, IClock& clock,
             const CLanScanOptions& options, quint32 adapterAddress)
        : m_probe(probe),
          m_clock(clock),
          m_options(options),
          m_collator(adapterAddress),
          m_names(std::move(resolver), options.lookupThreads) {
        m_probe.begin(adapterAddress);
        m_own = m_probe.ownAddresses();
    }
    ~CScanRun() { m_probe.end(); }

    CScanRun(const CScanRun&) = delete;
    CScanRun& operator=(const CScanRun&) = delete;

    // One round: probe, look at the answers and the names, and say what is new.
    std::optional<CLanScanBatch> step() {
        const QDateTime now = m_clock.now();
        sendProbes(now);
        takeAnswers(now);
        takeNames(now);
        return dueBatch();
    }
    bool isComplete() const { return m_collator.isComplete(); }

private:
    struct Probing {
        int host = 0;
        QDateTime sentAt;
    };
    struct Naming {
        int host = 0;
        CMacAddress mac;
        QDateTime since;
    };

    static qint64 waitedMs(const QDateTime& since, const QDateTime& now) {
        return since.msecsTo(now);
    }

    void sendProbes(const QDateTime& now) {
        while (m_nextHost <= CScanCollator::kLastHost &&
               static_cast<int>(m_probing.size()) < m_options.maxInFlight) {
            const int host = m_nextHost++;
            const quint32 address = m_collator.addressOf(host);
            if (const auto own = m_own.constFind(address); own != m_own.constEnd()) {
                startNaming(host, *own, now);
            } else if (isUnaskable(address)) {
                m_collator.settleSilent(host);
            } else {
                m_probe.probe(address);
                m_probing.push_back({host, now});
            }
        }
    }

    void takeAnswers(const QDateTime& now) {
        if (m_probing.empty()) {
            return;
        }
        const QHash<quint32, CMacAddress> answered = m_probe.answeredHosts();
        std::vector<Probing> stillProbing;
        for (const Probing& probing : m_probing) {
            const auto answer = answered.constFind(m_collator.addressOf(probing.host));
            if (answer != answered.constEnd()) {
                startNaming(probing.host, *answer, now);
            } else if (waitedMs(probing.sentAt, now) >= m_options.answerWait.count()) {
                m_collator.settleSilent(probing.host);
            } else {
                stillProbing.push_back(probing);
            }
        }
        m_probing = std::move(stillProbing);
    }

    void startNaming(int host, const CMacAddress& mac, const QDateTime& now) {
        m_naming.push_back({host, mac, now});
        m_names.request(m_collator.addressOf(host));
    }

    void takeNames(const QDateTime& now) {
        if (m_naming.empty()) {
            return;
        }
        const QHash<quint32, QString> names = m_names.takeAnswers();
        std::vector<Naming> stillNaming;
        for (const Naming& naming : m_naming) {
            const auto name = names.constFind(m_collator.addressOf(naming.host));
            if (name != names.constEnd()) {
                m_collator.settleFound(naming.host, naming.mac, *name);
            } else if (waitedMs(naming.since, now) >= m_options.nameWait.count()) {
                m_collator.settleFound(naming.host, naming.mac, QString());
            } else {
                stillNaming.push_back(naming);
            }
        }
        m_naming = std::move(stillNaming);
    }

    std::optional<CLanScanBatch> dueBatch() {
        CLanScanBatch batch;
        batch.rows = m_collator.takeDueRows();
        batch.progress = m_collator.throughCount();
        batch.finished = m_collator.isComplete();
        const std::optional<quint32> waiting = m_collator.waitingFor();
        batch.status =
            waiting ? CIpv4Address::toDotted(*waiting) : QByteArray(CLanScanBatch::kIdleStatus);
        const bool first = m_reported < 0;
        if (!first && batch.rows.isEmpty() && batch.progress == m_reported) {
            return std::nullopt;
        }
        m_reported = batch.progress;
        return batch;
    }

    INeighbourProbe& m_probe;
    IClock& m_clock;
    const CLanScanOptions& m_options;
    CScanCollator m_collator;
    CReverseLookupPool m_names;
    QHash<quint32, CMacAddress> m_own;
    int m_nextHost = CScanCollator::kFirstHost;
    std::vector<Probing> m_probing;
    std::vector<Naming> m_naming;
    int m_reported = -1;
};

}  // namespace

CLanScan::CLanScan(INeighbourProbe& probe, std::shared_ptr<IHostNameResolver> resolver,
                   IClock& clock, CLanScanOptions options)
    : m_probe(probe), m_resolver(std::move(resolver)), m_clock(clock), m_options(options) {}

bool CLanScan::run(quint32 adapterAddress, const std::atomic<bool>& stop, const Deliver& deliver) {
    CScanRun scan(m_probe, m_resolver, m_clock, m_options, adapterAddress);
    for (;;) {
        if (stop.load()) {
            return false;
        }
        if (const std::optional<CLanScanBatch> batch = scan.step()) {
            deliver(*batch);
        }
        if (scan.isComplete()) {
            return true;
        }
        m_clock.sleep(m_options.pollInterval);
    }
}
