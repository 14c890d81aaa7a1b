// The bus collection of a simulated site of 20 gateways with 64 devices each, whose buses
// answer like slow serial lines (the simulator's latency model), on a virtual clock shared
// by the sequencer and the site (an hour of device time passes in moments, paced exactly as
// on a real clock):
//   - paced by replies, every gateway's bus at the same time, and one gateway after another;
//   - the slowest single bus collected alone (the best the site could do);
//   - the fixed pauses, one gateway after another (100 ms, 2 s a gateway, 1 s a device);
//   - with the simulator losing 5% of the commands and 5% of the replies, and 20% of each:
//     how many devices the map holds completely, how often a query went again, whether
//     the collection's report says the truth about what is missing, and that nothing but
//     the queries went out.
// Then one run paced by replies in real time over UDP on loopback, which opens sockets: run
// it under scripts/in-netns (it is skipped when the site cannot start).
#include "core/bus/CAnswerCheck.h"
#include "core/bus/CBusCollection.h"
#include "core/common/CQtTimerSource.h"
#include "core/document/CReplyDrain.h"
#include "core/plan/CValidationSchema.h"
#include "core/protocol/CCommands.h"
#include "core/sequence/CSequencer.h"
#include "core/transport/CAdapterTable.h"
#include "core/transport/CIpv4Address.h"
#include "core/transport/CTransport.h"
#include "core/upload/CDeviceAnswers.h"
#include "sim/CSimNetwork.h"
#include "sim/CSimSiteBuilder.h"
#include "support/CDocFixture.h"
#include "support/CManualTimerSource.h"
#include "support/CVirtualSite.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>

namespace {

constexpr int kGateways = 20;
constexpr int kDevices = 64;

CSimLatency busLatency() {
    CSimLatency latency;
    latency.gatewayMs = 10;
    latency.busMs = 20;
    latency.busPerSettingMs = 2;
    latency.jitterMs = 5;
    return latency;
}

quint32 gatewayAddress(int gateway) {
    return CIpv4Address::fromHostOrder(0x7F000002u + static_cast<quint32>(gateway));
}

CSimSite makeSite() {
    auto models = std::make_shared<CSimModels>();
    QString error;
    if (!models->load(QStringLiteral(VOREL_RUNTIME_DIR), error)) {
        qFatal("BenchBusCollection: models: %s", qPrintable(error));
    }
    CSimSiteConfig config;
    for (int g = 0; g < kGateways; ++g) {
        config.addresses.append(gatewayAddress(g));
    }
    config.devicesPerGateway = kDevices;
    auto site = CSimSiteBuilder::build(models, config, error);
    if (!site) {
        qFatal("BenchBusCollection: site: %s", qPrintable(error));
    }
    site->setLatency(busLatency());
    return std::move(*site);
}

// How the map holds the site: devices whose every reported setting is there, and how many
// settings of the site it lacks.
struct Held {
    int complete = 0;
    int devices = 0;
    int settingsMissing = 0;
};

// The plan's UBRIX elements by IP and DEVICE elements by UID.
std::map<QByteArray, pugi::xml_node> configurations(const pugi::xml_document& plan) {
    std::map<QByteArray, pugi::xml_node> found;
    for (const pugi::xml_node& element :
         plan.document_element().child("Device_Configuration").children()) {
        found.emplace(element.first_attribute().value(), element);
    }
    return found;
}

int lacking(const CSimSettings& settings, const pugi::xml_node& element) {
    const CDeviceAnswers held = CDeviceAnswers::fromPlanElement(element);
    int missing = 0;
    for (const CSimSetting& setting : settings.all()) {
        missing += held.find(setting.address) ? 0 : 1;
    }
    return missing;
}

Held held(const CSimSite& site, const pugi::xml_document& plan, const QList<int>& gateways) {
    const std::map<QByteArray, pugi::xml_node> elements = configurations(plan);
    const auto elementOf = [&elements](const QByteArray& key) {
        const auto found = elements.find(key);
        return found == elements.end() ? pugi::xml_node() : found->second;
    };
    Held held;
    for (const int g : gateways) {
        const CSimGateway& gateway = site.gateways()[g];
        held.settingsMissing +=
            lacking(gateway.settings(), elementOf(CIpv4Address::toDotted(gateway.address())));
        for (const CSimBusDevice& device : gateway.devices()) {
            const int missing =
                lacking(device.settings(), elementOf(QByteArray::number(*device.uid())));
            ++held.devices;
            held.complete += missing == 0 ? 1 : 0;
            held.settingsMissing += missing;
        }
    }
    return held;
}

// Whether every report the collection names lacks what it names, and every one it does not
// name holds what its type's schema entry lists.
bool reportIsTrue(const CCollectionSummary& report, const pugi::xml_document& plan,
                  const pugi::xml_document& schema) {
    const CValidationSchema validation(schema);
    for (const pugi::xml_node& element : {plan.document_element().child("Device_Configuration")}) {
        for (const pugi::xml_node& device : element.children()) {
            const bool gateway = std::string_view(device.name()) == "UBRIX";
            const CDeviceAnswers held = CDeviceAnswers::fromPlanElement(device);
            const std::vector<CSettingAddress> missing =
                CAnswerCheck::missing(validation, held.type().value_or(""), held.addresses(), {});
            const QByteArray key = device.first_attribute().value();
            const auto named = std::find_if(
                report.incomplete.begin(), report.incomplete.end(),
                [&](const CCollectionSummary::Incomplete& incomplete) {
                    return gateway ? !incomplete.uid && incomplete.gateway == key
                                   : incomplete.uid && QByteArray::number(*incomplete.uid) == key;
                });
            if ((named == report.incomplete.end()) != missing.empty()) {
                return false;
            }
            if (named != report.incomplete.end() && named->answered && named->missing != missing) {
                return false;
            }
        }
    }
    return true;
}

struct Outcome {
    double seconds = 0;
    Held held;
    int repeats = 0;
    qsizetype sends = 0;
    bool reportTrue = true;
    bool onlyQueries = true;
};

struct Run {
    CPacing pacing = CPacing::ByReplies;
    bool concurrent = true;
    QList<int> gateways;  // the buses collected (the others are not registered)
    double loss = 0;      // of commands and of replies, each
};

Outcome collectOnVirtualClock(const Run& run) {
    CDocFixture fixture;
    CManualTimerSource timers;
    CSequencer sequencer(timers);
    sequencer.watch(fixture.doc());
    CVirtualSite site(makeSite(), fixture, timers);
    for (const int g : run.gateways) {
        site.send(CCommands::busRegister(), gatewayAddress(g));
    }
    site.runUntil([] { return false; }, 10000);
    CSimFaults faults;
    faults.dropShare = run.loss;
    faults.commandDropShare = run.loss;
    faults.seed = 7;
    site.site().setFaults(faults);

    const qint64 start = site.now();
    const qsizetype sentBefore = site.sent().size();
    auto report = std::make_shared<CCollectionSummary>();
    CSequenceRun* started = sequencer.start(
        QString::fromLatin1(CBusCollection::kRunName),
        CBusCollection::lanes(fixture.doc(), site.sender(), {run.concurrent, 2, {}}, report),
        run.pacing);
    bool finished = false;
    QObject::connect(started, &CSequenceRun::finished, [&finished] { finished = true; });
    site.runUntil([&finished] { return finished; }, start + 3 * 3600000);

    Outcome outcome;
    outcome.seconds = static_cast<double>(site.now() - start) / 1000.0;
    outcome.held = held(site.site(), fixture.doc().plan(), run.gateways);
    outcome.repeats = report->repeats;
    outcome.sends = site.sent().size() - sentBefore;
    outcome.reportTrue = reportIsTrue(*report, fixture.doc().plan(), fixture.doc().schema());
    for (const QString& sent : site.sent().mid(sentBefore)) {
        const QString text = sent.section(QLatin1Char(' '), 1);
        outcome.onlyQueries = outcome.onlyQueries && text.endsWith(QLatin1String("=?;"));
    }
    return outcome;
}

QList<int> everyGateway() {
    QList<int> gateways;
    for (int g = 0; g < kGateways; ++g) {
        gateways.append(g);
    }
    return gateways;
}

void print(const char* what, const Outcome& outcome) {
    std::printf(
        "  %-46s %8.1f s  %5lld sends  %4d repeats  %4d/%d devices complete  %d settings missing\n",
        what, outcome.seconds, static_cast<long long>(outcome.sends), outcome.repeats,
        outcome.held.complete, outcome.held.devices, outcome.held.settingsMissing);
    std::fflush(stdout);
}

std::optional<double> collectInRealTime() {
    CSimNetwork::Options options;
    options.limitedBroadcast = false;
    options.allowedNetwork = CIpv4Address::fromHostOrder(0x7F000000u);
    options.allowedMask = CIpv4Address::fromHostOrder(0xFF000000u);
    CSimNetwork network(makeSite(), options);
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
                        CBusCollection::lanes(fixture.doc(), send, {}), CPacing::ByReplies);
    QEventLoop loop;
    QObject::connect(run, &CSequenceRun::finished, &loop, &QEventLoop::quit);
    loop.exec();
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    const Held map = network.withSite(
        [&fixture](CSimSite& site) { return held(site, fixture.doc().plan(), everyGateway()); });
    transport.StopReceiver();
    std::printf("  %-46s %8.1f s  %4d/%d devices complete\n", "real time over UDP, in parallel",
                seconds, map.complete, map.devices);
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const CSimLatency latency = busLatency();
    std::printf(
        "BenchBusCollection: %d gateways x %d devices; a gateway answers after %d ms, a bus "
        "after %d ms + %d ms a setting, + up to %d ms jitter; quiet window %lld ms\n",
        kGateways, kDevices, latency.gatewayMs, latency.busMs, latency.busPerSettingMs,
        latency.jitterMs, static_cast<long long>(CBusCollection::kReportQuiet.count()));

    const Outcome parallel = collectOnVirtualClock({CPacing::ByReplies, true, everyGateway(), 0});
    print("paced by replies, every bus at once", parallel);
    const Outcome oneAtATime =
        collectOnVirtualClock({CPacing::ByReplies, false, everyGateway(), 0});
    print("paced by replies, one gateway after another", oneAtATime);
    Outcome slowest;
    for (int g = 0; g < kGateways; ++g) {
        const Outcome alone = collectOnVirtualClock({CPacing::ByReplies, true, {g}, 0});
        if (alone.seconds > slowest.seconds) {
            slowest = alone;
        }
    }
    print("the slowest bus alone", slowest);
    const Outcome fixed = collectOnVirtualClock({CPacing::Fixed, false, everyGateway(), 0});
    print("fixed pauses, one gateway after another", fixed);
    std::printf(
        "  every bus at once: %.2fx the slowest bus alone (goal 1.3x at most), %.1fx "
        "faster than one after another, %.0fx faster than the fixed pauses (goal 50x)\n",
        parallel.seconds / slowest.seconds, oneAtATime.seconds / parallel.seconds,
        fixed.seconds / parallel.seconds);

    bool lossTrue = true;
    for (const double loss : {0.05, 0.20}) {
        const Outcome lossy =
            collectOnVirtualClock({CPacing::ByReplies, true, everyGateway(), loss});
        const QByteArray what = "every bus at once, " + QByteArray::number(loss * 100) +
                                "% of commands and replies lost";
        print(what.constData(), lossy);
        std::printf("    the report names exactly what the map lacks: %s; only queries sent: %s\n",
                    lossy.reportTrue ? "yes" : "NO", lossy.onlyQueries ? "yes" : "NO");
        lossTrue = lossTrue && lossy.reportTrue && lossy.onlyQueries;
    }
    if (argc > 1 && QByteArray(argv[1]) == "--virtual-only") {
        return lossTrue ? 0 : 1;
    }
    collectInRealTime();
    return parallel.held.complete == parallel.held.devices && lossTrue ? 0 : 1;
}
