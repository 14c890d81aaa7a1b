// The bus collection of a simulated site of 4 gateways with 64 devices each, whose buses
// answer like slow serial lines (the simulator's latency model): with the fixed pauses
// (100 ms, 2 s a gateway, 1 s a device, 1 s at the end) against paced by replies (a
// device's pause ends once its report is in and it has been quiet for a moment). Both send
// the same texts in the same order; the map must hold every device either way.
//
// First on a virtual clock shared by the sequencer and the site (minutes pass in moments,
// paced exactly as on a real clock), then one run paced by replies in real time over UDP
// on loopback, which opens sockets: run it under scripts/in-netns (it is skipped when the
// site cannot start).
#include "CSimNetwork.h"
#include "CSimSiteBuilder.h"
#include "bus/CBusCollection.h"
#include "common/CQtTimerSource.h"
#include "common/CXPathQuery.h"
#include "document/CReplyDrain.h"
#include "plan/CPropertyRows.h"
#include "protocol/CCommands.h"
#include "sequence/CSequencer.h"
#include "support/CDocFixture.h"
#include "support/CManualTimerSource.h"
#include "support/CVirtualSite.h"
#include "transport/CAdapterTable.h"
#include "transport/CIpv4Address.h"
#include "transport/CTransport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

constexpr int kGateways = 4;
constexpr int kDevices = 64;

CSimLatency busLatency() {
    CSimLatency latency;
    latency.gatewayMs = 10;
    latency.busMs = 20;
    latency.busPerSettingMs = 2;
    latency.jitterMs = 5;
    return latency;
}

std::optional<CSimSite> makeSite() {
    auto models = std::make_shared<CSimModels>();
    QString error;
    if (!models->load(QStringLiteral(VOREL_RUNTIME_DIR), error)) {
        std::fprintf(stderr, "BenchBusCollection: models: %s\n", qPrintable(error));
        return std::nullopt;
    }
    CSimSiteConfig config;
    for (int g = 0; g < kGateways; ++g) {
        config.addresses.append(CIpv4Address::fromHostOrder(0x7F000002u + static_cast<quint32>(g)));
    }
    config.devicesPerGateway = kDevices;
    auto site = CSimSiteBuilder::build(models, config, error);
    if (!site) {
        std::fprintf(stderr, "BenchBusCollection: site: %s\n", qPrintable(error));
        return std::nullopt;
    }
    site->setLatency(busLatency());
    return site;
}

int leaves(const pugi::xml_node& element) {
    int count = 0;
    for (const pugi::xml_node& child : element.children()) {
        count += CPropertyRows::isLeaf(child) ? 1 : leaves(child);
    }
    return count;
}

// Devices of the site that the map lacks, or holds with fewer settings than they report.
int missingDevices(const CSimSite& site, const pugi::xml_document& plan) {
    int missing = 0;
    for (const CSimGateway& gateway : site.gateways()) {
        for (const CSimBusDevice& device : gateway.devices()) {
            CXPathQuery query("/Plan/Device_Configuration/DEVICE[@UID = $uid]", {"uid"});
            query.set("uid", std::to_string(*device.uid()));
            const pugi::xml_node found = query.first(plan);
            if (!found.child("TYPE") ||
                leaves(found) < static_cast<int>(device.report({}).size())) {
                ++missing;
            }
        }
    }
    return missing;
}

struct Outcome {
    double seconds = 0;
    int missing = 0;
    qsizetype sends = 0;
};

Outcome collectOnVirtualClock(CPacing pacing) {
    CDocFixture fixture;
    CManualTimerSource timers;
    CSequencer sequencer(timers);
    sequencer.watch(fixture.doc());
    CVirtualSite site(std::move(*makeSite()), fixture, timers);
    site.send(CCommands::busRegister(), CIpv4Address::kBroadcast);
    site.runUntil([] { return false; }, 10000);

    const qint64 start = site.now();
    CSequenceRun* run =
        sequencer.start(QString::fromLatin1(CBusCollection::kRunName),
                        CBusCollection::steps(fixture.doc(), site.sender()), pacing);
    bool finished = false;
    QObject::connect(run, &CSequenceRun::finished, [&finished] { finished = true; });
    site.runUntil([&finished] { return finished; }, start + 3600000);
    return {static_cast<double>(site.now() - start) / 1000.0,
            missingDevices(site.site(), fixture.doc().plan()), site.sent().size() - 1};
}

std::optional<Outcome> collectInRealTime() {
    std::optional<CSimSite> made = makeSite();
    CSimNetwork::Options options;
    options.limitedBroadcast = false;
    options.allowedNetwork = CIpv4Address::fromHostOrder(0x7F000000u);
    options.allowedMask = CIpv4Address::fromHostOrder(0xFF000000u);
    CSimNetwork network(std::move(*made), options);
    QString error;
    if (!network.start(error)) {
        std::printf(
            "  real time: skipped, the site cannot start here (%s); run it under "
            "scripts/in-netns\n",
            qPrintable(error));
        return std::nullopt;
    }
    CDocFixture fixture;
    CTransport transport(fixture.notifier(), fixture.clock(), fixture.doc().inboundQueue(),
                         fixture.doc().firewallSuspect());
    CAdapterTable adapters = CAdapterTable::fromCandidates({});
    adapters.addDemoAdapter();
    transport.setAdapters(adapters);
    CReplyDrain drain(fixture.doc());
    QObject::connect(&transport, &CTransport::rxQueued, &drain, &CReplyDrain::linesQueued);
    transport.StartTransport();
    CQtTimerSource timers;
    CSequencer sequencer(timers);
    sequencer.watch(fixture.doc());
    const auto send = [&transport](QByteArrayView text, quint32 address) {
        return transport.SendText(text, address);
    };

    send(CCommands::busRegister(), CIpv4Address::kBroadcast);
    QElapsedTimer registering;
    registering.start();
    while (registering.elapsed() < 3000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    QElapsedTimer clock;
    clock.start();
    CSequenceRun* run =
        sequencer.start(QString::fromLatin1(CBusCollection::kRunName),
                        CBusCollection::steps(fixture.doc(), send), CPacing::ByReplies);
    QEventLoop loop;
    QObject::connect(run, &CSequenceRun::finished, &loop, &QEventLoop::quit);
    loop.exec();
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    // Replies still on their way have had the last pause (1 s) to arrive.
    const int missing = network.withSite(
        [&fixture](CSimSite& site) { return missingDevices(site, fixture.doc().plan()); });
    transport.StopReceiver();
    return Outcome{seconds, missing, 0};
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const CSimLatency latency = busLatency();
    std::printf(
        "BenchBusCollection: %d gateways x %d devices; a gateway answers after %d ms, "
        "a bus after %d ms + %d ms a setting, + up to %d ms jitter; quiet window %lld ms\n",
        kGateways, kDevices, latency.gatewayMs, latency.busMs, latency.busPerSettingMs,
        latency.jitterMs, static_cast<long long>(CBusCollection::kReportQuiet.count()));
    const Outcome fixed = collectOnVirtualClock(CPacing::Fixed);
    const Outcome paced = collectOnVirtualClock(CPacing::ByReplies);
    std::printf("  virtual clock, fixed pauses:     %7.1f s, %lld sends, %d devices missing\n",
                fixed.seconds, static_cast<long long>(fixed.sends), fixed.missing);
    std::printf("  virtual clock, paced by replies: %7.1f s, %lld sends, %d devices missing\n",
                paced.seconds, static_cast<long long>(paced.sends), paced.missing);
    std::printf("  paced by replies is %.1fx faster\n", fixed.seconds / paced.seconds);
    if (argc > 1 && QByteArray(argv[1]) == "--virtual-only") {
        return 0;
    }
    if (const std::optional<Outcome> real = collectInRealTime()) {
        std::printf(
            "  real time, paced by replies:     %7.1f s, %d devices missing (%.1fx "
            "faster than the fixed pauses' %.1f s)\n",
            real->seconds, real->missing, fixed.seconds / real->seconds, fixed.seconds);
    }
    return fixed.missing + paced.missing == 0 ? 0 : 1;
}
