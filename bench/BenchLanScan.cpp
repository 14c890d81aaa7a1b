// How long the LAN scan takes for a whole /24: a test LAN of host namespaces with a dozen
// hosts among 254 addresses, scanned from the LAN's bridge the way the network view
// scans, with the default settings and with other numbers of probes in flight.
//
// It sends datagrams and address resolutions to every address of the network, so it
// builds its own network namespace first and refuses to run unless it can prove where it
// is: right after the move, the only interface must be loopback, and before the first
// scan only loopback and the links it made itself may be there.
#include "support/CTestLan.h"

#include "core/common/CSystemClock.h"
#include "core/lan/CLanScan.h"
#include "core/lan/CSystemHostNameResolver.h"
#include "core/lan/CUdpNeighbourProbe.h"
#include "core/transport/CIpv4Address.h"

#include <net/if.h>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QStringList>
#include <atomic>
#include <cstdio>

using namespace std::chrono_literals;

namespace {

constexpr int kLan = 1;
const QList<int> kHosts{2, 3, 17, 40, 64, 99, 128, 129, 150, 200, 233, 254};

QStringList interfaceNames() {
    QStringList names;
    if (struct if_nameindex* interfaces = ::if_nameindex()) {
        for (const struct if_nameindex* entry = interfaces; entry->if_index != 0; ++entry) {
            names << QString::fromLatin1(entry->if_name);
        }
        ::if_freenameindex(interfaces);
    }
    return names;
}

bool onlyOwnLinks() {
    // The bridge of the LAN and the bench's ends of the host links (vh<lan>n<host>).
    const QRegularExpression own(QStringLiteral("^(lo|vlan%1|vh%1n\\d+)$").arg(kLan));
    for (const QString& name : interfaceNames()) {
        if (!own.match(name).hasMatch()) {
            std::fprintf(stderr, "BenchLanScan: interface %s is not one of the bench's own\n",
                         qPrintable(name));
            return false;
        }
    }
    return true;
}

bool isolate() {
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        std::fprintf(stderr, "BenchLanScan: %s\n", qPrintable(why));
        return false;
    }
    if (interfaceNames() != QStringList{QStringLiteral("lo")}) {
        std::fprintf(stderr, "BenchLanScan: the new namespace is not empty: %s\n",
                     qPrintable(interfaceNames().join(QLatin1Char(' '))));
        return false;
    }
    return true;
}

struct Figure {
    double seconds = 0;
    int rows = 0;
};

Figure scanOnce(const CLanScanOptions& options) {
    CUdpNeighbourProbe probe;
    CLanScan scan(probe, std::make_shared<CSystemHostNameResolver>(), CSystemClock::instance(),
                  options);
    std::atomic<bool> stop{false};
    Figure figure;
    QElapsedTimer timer;
    timer.start();
    scan.run(CTestLan::programAddress(kLan), stop, [&](const CLanScanBatch& batch) {
        figure.rows += static_cast<int>(batch.rows.size());
    });
    figure.seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    return figure;
}

bool report(const char* label, const CLanScanOptions& options, int rounds) {
    const int expected = static_cast<int>(kHosts.size()) + 1;  // and the machine itself
    for (int round = 1; round <= rounds; ++round) {
        const Figure figure = scanOnce(options);
        std::printf("%-34s round %d: %6.2f s for 254 addresses, %d rows\n", label, round,
                    figure.seconds, figure.rows);
        if (figure.rows != expected) {
            std::fprintf(stderr, "BenchLanScan: expected %d rows\n", expected);
            return false;
        }
    }
    return true;
}

}  // namespace

int main() {
    if (!isolate()) {
        return 2;
    }
    CTestLan lan;
    if (!lan.addLan(kLan)) {
        std::fprintf(stderr, "BenchLanScan: %s\n", qPrintable(lan.error()));
        return 2;
    }
    for (const int host : kHosts) {
        if (!lan.addHost(kLan, host)) {
            std::fprintf(stderr, "BenchLanScan: %s\n", qPrintable(lan.error()));
            return 2;
        }
    }
    if (!onlyOwnLinks()) {
        return 2;
    }
    std::printf("test LAN 10.77.%d.0/24: %lld hosts and this machine; goal: under 10 s\n", kLan,
                static_cast<long long>(kHosts.size()));

    bool ok = report("defaults (128 in flight, 2 s wait)", CLanScanOptions{}, 3);
    CLanScanOptions all;
    all.maxInFlight = 254;
    ok = ok && report("254 in flight, 2 s wait", all, 2);
    CLanScanOptions narrow;
    narrow.maxInFlight = 32;
    ok = ok && report("32 in flight, 2 s wait", narrow, 1);
    return ok ? 0 : 1;
}
