#pragma once

#include "core/lan/CLanScanBatch.h"
#include "core/lan/CLanScanOptions.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <thread>

class IClock;
class IHostNameResolver;
class INeighbourProbe;

// Runs LAN scans on a thread of their own, at the lowest priority, and reports to the
// thread that owns it (the GUI thread) by queued signals. The scan never touches the
// object that started it: when the scanner goes, it raises the stop flag and waits for
// the scan thread, which sees the flag within one poll interval; reports still on their
// way die with the scanner. A new scan stops the running one first, and reports of the
// old one that are still queued are dropped.
class CLanScanner : public QObject {
    Q_OBJECT

public:
    struct Parts {
        std::unique_ptr<INeighbourProbe> probe;
        std::shared_ptr<IHostNameResolver> resolver;
        std::shared_ptr<IClock> clock;
        CLanScanOptions options;
    };

    explicit CLanScanner(Parts parts, QObject* parent = nullptr);
    ~CLanScanner() override;

    CLanScanner(const CLanScanner&) = delete;
    CLanScanner& operator=(const CLanScanner&) = delete;

    // This machine's kernel, resolver and clock.
    static std::unique_ptr<CLanScanner> forThisMachine(QObject* parent = nullptr);
    // The system clock as a part: it belongs to nobody, the scanner only borrows it.
    static std::shared_ptr<IClock> systemClock();

    // Scans the /24 network of the adapter address (network byte order).
    void start(quint32 adapterAddress);
    // Raises the stop flag and waits for the scan thread to end.
    void stop();
    bool isScanning() const;

signals:
    void rowsFound(const QList<CLanScanRow>& rows);
    void progressChanged(int position);
    void statusChanged(const QString& text);
    // Every address is through (not sent when the scan was stopped).
    void finished();

private:
    void deliver(quint64 generation, const CLanScanBatch& batch);
    void scan(quint32 adapterAddress, quint64 generation);

    Parts m_parts;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    quint64 m_generation = 0;
    bool m_scanning = false;
};
