// The uploads against the simulated site with its latency model: a site of 4 gateways x 20
// changed settings and one of 4 buses x 25 bus devices x 10 changed settings, each uploaded
// with the fixed pauses and paced by replies on one virtual clock shared by the program's
// timers and the site, then the paced uploads once more in real time over UDP (run it inside
// a network namespace: scripts/in-netns build/bin/BenchUpload). Prints the figures; every run
// also checks that the simulator holds every changed setting afterwards, and the runs on the
// virtual clock that both pacings send each device the same texts in one order (gateways
// and buses are uploaded at the same time, so only each device's own order is kept). Then
// both uploads paced by replies with the simulator losing 5% and 20% of the commands and of
// the replies: how much was confirmed, how often a query or a set went again, whether the
// summary tells the truth and that nothing went out that the upload did not ask for.
//
// Then a large site, 20 gateways x 64 bus devices x 10 changed settings, registered first
// (so that the plan knows each device's bus): the bus device upload with its lanes against
// the slowest bus uploaded alone and against the fixed pauses one device after another, and
// with 5% and 20% loss. Goals: within 1.3x of the slowest bus alone, at least 50x faster
// than the fixed pauses; at 5% loss within 1.3x of the lossless time with every setting
// confirmed, at 20% every setting confirmed.
#include "CChangedProject.h"
#include "core/common/CQtTimerSource.h"
#include "core/common/CSystemClock.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/plan/CValidationSchema.h"
#include "core/protocol/CCommands.h"
#include "core/sequence/CSequencer.h"
#include "core/transport/CIpv4Address.h"
#include "core/transport/CTransport.h"
#include "core/transport/CUDPListener.h"
#include "core/upload/CBusUpload.h"
#include "core/upload/CGatewayUpload.h"
#include "core/upload/CTransportUploadLink.h"
#include "sim/CSimNetwork.h"
#include "sim/CSimSiteBuilder.h"
#include "support/CDocFixture.h"
#include "support/CManualTimerSource.h"
#include "support/CRecordingNotifier.h"
#include "support/sim/CSimVirtualTime.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QSet>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

using Milliseconds = std::chrono::milliseconds;

constexpr int kGatewayChanges = 20;
constexpr int kDeviceChanges = 10;

// A site, and what of it is uploaded.
struct Site {
    int gateways = 4;
    int devicesPerGateway = 25;
    bool busDevices = false;
    // Only the devices behind this gateway go into the project (a bus alone).
    std::optional<int> onlyBus;
};
const QDateTime kStart(QDate(2026, 12, 7), QTime(9, 0));

CSimLatency latency() {
    CSimLatency model;
    model.gatewayMs = 2;
    model.busMs = 40;
    model.busPerSettingMs = 8;
    model.jitterMs = 4;
    return model;
}

quint32 loopback(int host) {
    return CIpv4Address::fromHostOrder(0x7F000000u + static_cast<quint32>(host));
}

CSimSiteConfig siteConfig(const Site& shape) {
    CSimSiteConfig config;
    for (int g = 0; g < shape.gateways; ++g) {
        config.addresses.append(loopback(2 + g));
    }
    config.gatewayTypes = {"UBRIX_C"};
    config.devicesPerGateway = shape.busDevices ? shape.devicesPerGateway : 0;
    return config;
}

QByteArray projectFor(const CSimSite& site, const Site& shape) {
    const bool busDevices = shape.busDevices;
    const CValidationSchema schema(site.models().schema());
    QByteArray devices;
    for (qsizetype g = 0; g < site.gateways().size(); ++g) {
        const CSimGateway& gateway = site.gateways()[g];
        if (shape.onlyBus && *shape.onlyBus != g) {
            continue;
        }
        if (!busDevices) {
            devices += CChangedProject::device(
                "IP='" + CIpv4Address::toDotted(gateway.address()) + "'", gateway.type(),
                gateway.settings(), schema, kGatewayChanges);
        }
        for (const CSimBusDevice& device : gateway.devices()) {
            if (busDevices && device.uid()) {
                devices += CChangedProject::device(
                    "UID='" + QByteArray::number(*device.uid()) + "'", device.type(),
                    device.settings(), schema, kDeviceChanges);
            }
        }
    }
    return "<?xml version=\"1.0\"?><Plan><Device_Configuration>" + devices +
           "</Device_Configuration><Network_Configuration/></Plan>";
}

std::unique_ptr<CSimSite> buildSite(const Site& shape, QString& error) {
    auto models = std::make_shared<CSimModels>();
    if (!models->load(QCoreApplication::applicationDirPath(), error)) {
        return nullptr;
    }
    auto site = CSimSiteBuilder::build(models, siteConfig(shape), error);
    if (!site) {
        return nullptr;
    }
    site->setLatency(latency());
    return std::make_unique<CSimSite>(std::move(*site));
}

// Whether the simulator holds every value the run sent.
int missingOnSite(const CSimSite& site, const CUploadSummary& summary, bool busDevices) {
    QMap<QByteArray, const CSimSettings*> byLabel;
    for (const CSimGateway& gateway : site.gateways()) {
        if (!busDevices) {
            byLabel.insert("IP " + CIpv4Address::toDotted(gateway.address()), &gateway.settings());
        }
        for (const CSimBusDevice& bus : gateway.devices()) {
            if (busDevices && bus.uid()) {
                byLabel.insert("UID " + QByteArray::number(*bus.uid()), &bus.settings());
            }
        }
    }
    int missing = 0;
    for (const CDeviceOutcome& device : summary.devices) {
        const CSimSettings* settings = byLabel.value(device.label, nullptr);
        for (const CUploadRow& row : device.rows) {
            if (row.isSent() &&
                (settings == nullptr || settings->value(row.setting.address) != row.wireValue)) {
                ++missing;
            }
        }
    }
    return missing;
}

struct Figures {
    qint64 deviceMs = 0;  // time as the devices saw it
    qint64 wallMs = 0;    // time this program took
    CUploadSummary::Counts counts;
    int missing = 0;
    bool summaryTrue = true;
    // What went out, in order: address and text.
    QList<QPair<quint32, QByteArray>> sent;
};

// The device a text is for: a gateway by its address, a bus device by its UID ("#uid12=?;",
// "#UID12.A.LED.MODE=RGB", the arming "#uid=12;").
QByteArray deviceOf(quint32 address, const QByteArray& text) {
    if (!text.startsWith('#')) {
        return CIpv4Address::toDotted(address);
    }
    qsizetype at = 4;  // after "#UID"
    if (at < text.size() && text[at] == '=') {
        ++at;
    }
    qsizetype end = at;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
        ++end;
    }
    return "UID " + text.mid(at, end - at);
}

// What went to each device, in order: gateways and buses are uploaded at the same time, each
// device in its own order.
QMap<QByteArray, QList<QByteArray>> byDevice(const QList<QPair<quint32, QByteArray>>& sent) {
    QMap<QByteArray, QList<QByteArray>> texts;
    for (const auto& [address, text] : sent) {
        texts[deviceOf(address, text)].append(text);
    }
    return texts;
}

void print(const char* what, const Figures& figures) {
    std::printf(
        "%-52s %8.1f s device time  %6.2f s wall  sent %4d  confirmed %4d  repeats %d+%d  "
        "missing on site %d  not reported %d  not found %d  other type %d  passed over %d  "
        "matched %d\n",
        what, static_cast<double>(figures.deviceMs) / 1000.0,
        static_cast<double>(figures.wallMs) / 1000.0, figures.counts.sent, figures.counts.confirmed,
        figures.counts.queriesRepeated, figures.counts.setsRepeated, figures.missing,
        figures.counts.notReported, figures.counts.notFound, figures.counts.typeMismatch,
        figures.counts.passedOver, figures.counts.matched);
    std::fflush(stdout);
}

// A do-nothing link answer: no discover prompt comes in these runs.
IUploadLink::Answer passOver(const QString& /*text*/) {
    return IUploadLink::Answer::No;
}

// Whether every text that went out is one the upload asks for: a device's query, a set
// of a row that differs, or the arming of a device that did not answer (once at most);
// and whether every setting said to be confirmed is on the site.
bool summaryIsTrue(const CSimSite& site, const CUploadSummary& summary,
                   const QList<QPair<quint32, QByteArray>>& sent, bool busDevices) {
    QSet<QByteArray> asked;
    for (const CDeviceOutcome& device : summary.devices) {
        for (const CUploadRow& row : device.rows) {
            if (row.isSent()) {
                asked.insert(row.command);
            }
        }
    }
    QSet<QByteArray> armed;
    for (const auto& [address, text] : sent) {
        const bool query = text.endsWith("=?") || text.endsWith("=?;");
        const bool arming = text.startsWith("#uid=");
        if (arming && armed.contains(text)) {
            return false;
        }
        armed.insert(text);
        if (!query && !arming && !asked.contains(text)) {
            return false;
        }
    }
    CUploadSummary confirmedOnly = summary;
    for (CDeviceOutcome& device : confirmedOnly.devices) {
        device.rows.erase(std::remove_if(device.rows.begin(), device.rows.end(),
                                         [](const CUploadRow& row) {
                                             return row.delivery != CUploadRow::Delivery::Confirmed;
                                         }),
                          device.rows.end());
    }
    return missingOnSite(site, confirmedOnly, busDevices) == 0;
}

struct Run {
    CPacing pacing = CPacing::ByReplies;
    double loss = 0;
    bool concurrent = true;
    quint64 seed = 7;  // of the losses
};

// The plan learns which bus each device is on, as a registration before the upload teaches
// it: "#UID=REGISTER;" broadcast, and every announcement let in.
void registerDevices(CSimVirtualTime& time) {
    time.send(CCommands::busRegister(), CIpv4Address::kBroadcast);
    time.runUntil([] { return false; }, std::chrono::seconds(5));
}

template <typename Upload>
Figures virtualRun(const Site& shape, const Run& run) {
    QString error;
    std::unique_ptr<CSimSite> site = buildSite(shape, error);
    if (!site) {
        qFatal("%s", qPrintable(error));
    }
    CDocFixture doc;
    const QString path = doc.path(QStringLiteral("project.xml"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(projectFor(*site, shape)) < 0) {
        qFatal("cannot write the project");
    }
    file.close();
    doc.doc().openProject(path);
    CManualTimerSource timers;
    CSequencer sequencer(timers);
    sequencer.watch(doc.doc());
    CSimVirtualTime time(*site, doc.doc(), timers, loopback(1), kStart);
    if (shape.busDevices) {
        registerDevices(time);
    }
    CSimFaults faults;
    faults.dropShare = run.loss;
    faults.commandDropShare = run.loss;
    faults.seed = run.seed;
    site->setFaults(faults);

    class Link : public IUploadLink {
    public:
        Link(CSimVirtualTime& t, QList<QPair<quint32, QByteArray>>& sent)
            : m_time(t), m_sent(sent) {}
        bool send(const QByteArray& text, quint32 address) override {
            m_sent.append({address, text});
            m_time.send(text, address);
            return true;
        }
        QByteArray reachesInstead(quint32 /*address*/) const override { return {}; }
        void showError(const QString& text) override { qWarning("%s", qPrintable(text)); }
        Answer askDiscover(const QString& text) override { return passOver(text); }

    private:
        CSimVirtualTime& m_time;
        QList<QPair<quint32, QByteArray>>& m_sent;
    };
    Figures figures;
    Link link(time, figures.sent);

    CUploadOptions options;
    options.pacing = run.pacing;
    options.concurrent = run.concurrent;
    Upload upload(doc.doc(), link, options);
    QElapsedTimer wall;
    wall.start();
    const std::chrono::milliseconds started = timers.now();
    upload.start(sequencer);
    time.runUntil([&upload] { return upload.isFinished(); }, std::chrono::hours(24));
    figures.deviceMs = (timers.now() - started).count();
    figures.wallMs = wall.elapsed();
    figures.counts = upload.summary().counts();
    figures.missing = missingOnSite(*site, upload.summary(), shape.busDevices);
    figures.summaryTrue = summaryIsTrue(*site, upload.summary(), figures.sent, shape.busDevices);
    return figures;
}

template <typename Upload>
Figures realTimeRun(const Site& shape) {
    const bool busDevices = shape.busDevices;
    QString error;
    std::unique_ptr<CSimSite> site = buildSite(shape, error);
    if (!site) {
        qFatal("%s", qPrintable(error));
    }
    const QByteArray project = projectFor(*site, shape);
    CSimNetwork::Options options;
    options.limitedBroadcast = false;
    options.allowedNetwork = loopback(0);
    options.allowedMask = CIpv4Address::fromHostOrder(0xFF000000u);
    CSimNetwork network(std::move(*site), options);
    if (!network.start(error)) {
        qFatal("%s (run inside a network namespace: scripts/in-netns)", qPrintable(error));
    }
    CDocFixture doc;
    const QString path = doc.path(QStringLiteral("project.xml"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(project) < 0) {
        qFatal("cannot write the project");
    }
    file.close();
    doc.doc().openProject(path);
    CRecordingNotifier notifier;
    CTransport transport(notifier, CSystemClock::instance(), doc.doc().inboundQueue(),
                         doc.doc().firewallSuspect());
    transport.adapters().addDemoAdapter();
    QObject::connect(&transport, &CTransport::rxQueued, [&doc] {
        while (!doc.doc().inboundQueue().isEmpty()) {
            doc.doc().AddMsg();
        }
    });
    transport.StartTransport();
    if (transport.listener() == nullptr || !transport.listener()->isRunning()) {
        qFatal("the program cannot receive: %s", qPrintable(notifier.messages().join('\n')));
    }
    if (busDevices) {
        transport.SendText(CCommands::busRegister(), CIpv4Address::kBroadcast);
        QEventLoop settling;
        QTimer::singleShot(2000, &settling, &QEventLoop::quit);
        settling.exec();
    }
    CQtTimerSource timers;
    CSequencer sequencer(timers);
    sequencer.watch(doc.doc());
    CTransportUploadLink link(transport, notifier, passOver);
    Upload upload(doc.doc(), link, {CPacing::ByReplies});
    QEventLoop loop;
    QObject::connect(&upload, &CUploadRun::finished, &loop, &QEventLoop::quit);
    QElapsedTimer wall;
    wall.start();
    upload.start(sequencer);
    if (!upload.isFinished()) {
        loop.exec();
    }
    Figures figures;
    figures.wallMs = wall.elapsed();
    figures.deviceMs = figures.wallMs;
    figures.counts = upload.summary().counts();
    transport.StopReceiver();
    network.stop();
    figures.missing = network.withSite(
        [&](CSimSite& played) { return missingOnSite(played, upload.summary(), busDevices); });
    return figures;
}

// The large site: the bus device upload with its lanes, against each bus alone and the
// fixed pauses one device after another, then with loss.
void largeSite() {
    const Site large{20, 64, true, std::nullopt};
    std::printf("\nBus devices of a large site: %d gateways x %d devices x %d changed settings\n",
                large.gateways, large.devicesPerGateway, kDeviceChanges);
    const Figures fixed = virtualRun<CBusUpload>(large, {CPacing::Fixed, 0, false});
    print("fixed pauses, one device after another", fixed);
    const Figures lanes = virtualRun<CBusUpload>(large, {});
    print("paced by replies, a lane per bus", lanes);
    const Figures fixedLanes = virtualRun<CBusUpload>(large, {CPacing::Fixed, 0, true});
    print("fixed pauses, a lane per bus", fixedLanes);
    qint64 slowestBus = 0;
    for (int bus = 0; bus < large.gateways; ++bus) {
        Site alone = large;
        alone.onlyBus = bus;
        slowestBus = std::max(slowestBus, virtualRun<CBusUpload>(alone, {}).deviceMs);
    }
    std::printf("%-52s %8.1f s device time\n", "the slowest bus alone, paced by replies",
                static_cast<double>(slowestBus) / 1000.0);
    std::printf(
        "lanes: %.2fx the slowest bus alone (goal 1.3x), %.0fx faster than the fixed pauses "
        "(goal 50x)\n",
        static_cast<double>(lanes.deviceMs) / static_cast<double>(slowestBus),
        static_cast<double>(fixed.deviceMs) / static_cast<double>(lanes.deviceMs));
    const bool sameTexts = byDevice(fixed.sent) == byDevice(lanes.sent) &&
                           byDevice(fixedLanes.sent) == byDevice(lanes.sent);
    std::printf(
        "same texts to each device in the same order, one after another and in lanes, both "
        "pacings: %s (%lld commands)\n",
        sameTexts ? "yes" : "NO", static_cast<long long>(lanes.sent.size()));
    // The project's every setting: what the device holds already, and what is to be sent.
    const int settings = lanes.counts.matched + lanes.counts.sent;
    for (const double loss : {0.05, 0.20}) {
        for (const quint64 seed : {7, 8, 9}) {
            const QByteArray what = "paced by replies, a lane per bus, " +
                                    QByteArray::number(loss * 100) + "% lost, seed " +
                                    QByteArray::number(seed);
            const Figures lossy =
                virtualRun<CBusUpload>(large, {CPacing::ByReplies, loss, true, seed});
            print(what.constData(), lossy);
            std::printf(
                "    %.2fx the lossless time%s; %d of the project's %d settings confirmed or "
                "already set; summary true and nothing sent that was not asked: %s\n",
                static_cast<double>(lossy.deviceMs) / static_cast<double>(lanes.deviceMs),
                loss < 0.1 ? " (goal 1.3x)" : "", lossy.counts.confirmed + lossy.counts.matched,
                settings, lossy.summaryTrue ? "yes" : "NO");
        }
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const bool virtualOnly = app.arguments().contains(QStringLiteral("--virtual-only"));
    const Site gatewaySite{4, 0, false, std::nullopt};
    const Site busSite{4, 25, true, std::nullopt};
    std::printf(
        "Latency model: gateway %d ms, bus %d ms + %d ms per reported setting, jitter "
        "up to %d ms\n",
        latency().gatewayMs, latency().busMs, latency().busPerSettingMs, latency().jitterMs);
    std::printf(
        "Gateways: %d x %d changed settings; bus devices: %d x %d x %d changed settings\n\n",
        gatewaySite.gateways, kGatewayChanges, busSite.gateways, busSite.devicesPerGateway,
        kDeviceChanges);

    const Figures gatewayFixed = virtualRun<CGatewayUpload>(gatewaySite, {CPacing::Fixed});
    print("gateways, fixed pauses (virtual clock)", gatewayFixed);
    const Figures gatewayPaced = virtualRun<CGatewayUpload>(gatewaySite, {});
    print("gateways, paced by replies (virtual clock)", gatewayPaced);
    const Figures busFixed = virtualRun<CBusUpload>(busSite, {CPacing::Fixed});
    print("bus devices, fixed pauses (virtual clock)", busFixed);
    const Figures busPaced = virtualRun<CBusUpload>(busSite, {});
    print("bus devices, paced by replies (virtual clock)", busPaced);
    std::printf(
        "\nspeed-up by replies: gateways %.1fx, bus devices %.1fx\n",
        static_cast<double>(gatewayFixed.deviceMs) / static_cast<double>(gatewayPaced.deviceMs),
        static_cast<double>(busFixed.deviceMs) / static_cast<double>(busPaced.deviceMs));
    std::printf(
        "same texts to each device in the same order with both pacings: "
        "gateways %s (%lld commands), bus devices %s (%lld commands)\n",
        byDevice(gatewayFixed.sent) == byDevice(gatewayPaced.sent) ? "yes" : "NO",
        static_cast<long long>(gatewayFixed.sent.size()),
        byDevice(busFixed.sent) == byDevice(busPaced.sent) ? "yes" : "NO",
        static_cast<long long>(busFixed.sent.size()));
    std::printf(
        "\nwith the simulator losing commands and replies (paced by replies, virtual clock):\n");
    for (const double loss : {0.05, 0.20}) {
        const QByteArray share = QByteArray::number(loss * 100) + "% lost";
        const Figures gateways =
            virtualRun<CGatewayUpload>(gatewaySite, {CPacing::ByReplies, loss});
        print(("gateways, " + share).constData(), gateways);
        const Figures devices = virtualRun<CBusUpload>(busSite, {CPacing::ByReplies, loss});
        print(("bus devices, " + share).constData(), devices);
        std::printf(
            "    confirmed %.1f%% of the settings sent; summaries true and nothing sent "
            "that was not asked: %s\n",
            100.0 * (gateways.counts.confirmed + devices.counts.confirmed) /
                std::max(1, gateways.counts.sent + devices.counts.sent),
            gateways.summaryTrue && devices.summaryTrue ? "yes" : "NO");
    }
    largeSite();
    if (virtualOnly) {
        return 0;
    }
    std::printf("\n");
    print("gateways, paced by replies (real time, UDP)", realTimeRun<CGatewayUpload>(gatewaySite));
    print("bus devices, paced by replies (real time, UDP)", realTimeRun<CBusUpload>(busSite));
    return 0;
}
