#include "core/lan/CLanScanner.h"

#include "core/common/CSystemClock.h"
#include "core/lan/CLanScan.h"
#include "core/lan/CSystemHostNameResolver.h"
#include "core/lan/CUdpNeighbourProbe.h"

#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kLowestPriority = 19;

// The scan waits most of the time, but what it does must never be in the way of the
// receive thread or the window: the lowest priority the system gives a thread without
// privileges (the highest nice value).
void lowerThreadPriority() {
    [[maybe_unused]] const int changed =
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kLowestPriority);
}

}  // namespace

CLanScanner::CLanScanner(Parts parts, QObject* parent)
    : QObject(parent), m_parts(std::move(parts)) {
    qRegisterMetaType<CLanScanBatch>();
    qRegisterMetaType<QList<CLanScanRow>>();
}

CLanScanner::~CLanScanner() {
    stop();
}

std::shared_ptr<IClock> CLanScanner::systemClock() {
    return std::shared_ptr<IClock>(&CSystemClock::instance(), [](IClock*) {});
}

std::unique_ptr<CLanScanner> CLanScanner::forThisMachine(QObject* parent) {
    Parts parts;
    parts.probe = std::make_unique<CUdpNeighbourProbe>();
    parts.resolver = std::make_shared<CSystemHostNameResolver>();
    parts.clock = systemClock();
    return std::make_unique<CLanScanner>(std::move(parts), parent);
}

void CLanScanner::start(quint32 adapterAddress) {
    stop();
    m_stop = false;
    m_scanning = true;
    const quint64 generation = ++m_generation;
    m_thread =
        std::thread([this, adapterAddress, generation] { scan(adapterAddress, generation); });
}

void CLanScanner::scan(quint32 adapterAddress, quint64 generation) {
    lowerThreadPriority();
    CLanScan run(*m_parts.probe, m_parts.resolver, *m_parts.clock, m_parts.options);
    run.run(adapterAddress, m_stop, [this, generation](const CLanScanBatch& batch) {
        // Posted to this object: dropped unread if it is gone by then.
        QMetaObject::invokeMethod(
            this, [this, generation, batch] { deliver(generation, batch); }, Qt::QueuedConnection);
    });
}

void CLanScanner::stop() {
    m_stop = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    m_scanning = false;
}

bool CLanScanner::isScanning() const {
    return m_scanning;
}

void CLanScanner::deliver(quint64 generation, const CLanScanBatch& batch) {
    if (generation != m_generation || !m_scanning) {
        return;
    }
    if (!batch.rows.isEmpty()) {
        emit rowsFound(batch.rows);
    }
    emit progressChanged(batch.progress);
    emit statusChanged(QString::fromLatin1(batch.status));
    if (batch.finished) {
        m_scanning = false;
        emit finished();
    }
}
