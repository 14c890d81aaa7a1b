// The uploads against the simulated site with its latency model: a site of 4 gateways x 20
// changed settings and one of 100 bus devices x 10 changed settings, each uploaded with
// the fixed pauses and paced by replies on one virtual clock shared by the program's timers
// and the site, then the paced uploads once more in real time over UDP (run it inside a
// network namespace: scripts/in-netns build/bin/BenchUpload). Prints the figures; every run
// also checks that the simulator holds every changed setting afterwards, and the runs on the
// virtual clock that both pacings send the same texts to each address in one order (the
// gateways are uploaded at the same time). Then both uploads paced by replies with the
// simulator losing 5% and 20% of the commands and of the replies: how much was confirmed,
// how often a query or a set went again, whether the summary tells the truth and that
// nothing went out that the upload did not ask for.
#include "core/common/CQtTimerSource.h"
#include "core/common/CSystemClock.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/plan/CValidationSchema.h"
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

constexpr int kGateways = 4;
constexpr int kGatewayChanges = 20;
constexpr int kDevicesPerGateway = 25;
constexpr int kDeviceChanges = 10;
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

CSimSiteConfig siteConfig(bool busDevices) {
    CSimSiteConfig config;
    for (int g = 0; g < kGateways; ++g) {
        config.addresses.append(loopback(2 + g));
    }
    config.gatewayTypes = {"UBRIX_C"};
    config.devicesPerGateway = busDevices ? kDevicesPerGateway : 0;
    return config;
}

// A value the schema lets a user give the setting, other than the one it has.
std::optional<QByteArray> otherValue(const pugi::xml_node& entry, const QByteArray& value) {
    switch (CValidationSchema::control(entry)) {
        case CValidationSchema::Control::Edit:
            return value + "7";
        case CValidationSchema::Control::Combo:
            for (const std::string& option : CValidationSchema::options(entry)) {
                if (QByteArray::fromStdString(option) != value) {
                    return QByteArray::fromStdString(option);
                }
            }
            return std::nullopt;
        case CValidationSchema::Control::ReadOnly:
            break;
    }
    return std::nullopt;
}

// A project element for a simulated device whose first `changes` settings that a user may
// set (a gateway's connection settings and its name aside) get another value.
QByteArray projectDevice(const QByteArray& key, const QByteArray& type,
                         const CSimSettings& settings, const CValidationSchema& schema,
                         int changes) {
    QByteArray top = "<TYPE>" + type + "</TYPE>";
    QMap<QByteArray, QByteArray> groups;  // "port|group" -> members
    for (const CSimSetting& setting : settings.all()) {
        const CSettingAddress& path = setting.address;
        if (changes == 0 || path.group == "NETWORK" || path.group == "UDP" || path.key == "NAME" ||
            path.key == "TYPE") {
            continue;
        }
        const pugi::xml_node entry = schema.setting(type.toStdString(), path);
        const auto value = entry ? otherValue(entry, setting.value) : std::nullopt;
        if (!value || path.group.isEmpty()) {
            continue;
        }
        const QByteArray index = path.index.isEmpty() ? QByteArray() : " A='" + path.index + "'";
        groups[path.port + "|" + path.group] +=
            "<" + path.key + index + ">" + *value + "</" + path.key + ">";
        --changes;
    }
    if (changes > 0) {
        qFatal("%s has too few settings to change", type.constData());
    }
    for (auto group = groups.cbegin(); group != groups.cend(); ++group) {
        const QList<QByteArray> parts = group.key().split('|');
        QByteArray element = "<" + parts[1] + ">" + group.value() + "</" + parts[1] + ">";
        if (!parts[0].isEmpty()) {
            element = "<PORT P='" + parts[0] + "'>" + element + "</PORT>";
        }
        top += element;
    }
    return (key.startsWith("IP") ? "<UBRIX " : "<DEVICE ") + key + ">" + top +
           (key.startsWith("IP") ? "</UBRIX>" : "</DEVICE>");
}

QByteArray projectFor(const CSimSite& site, bool busDevices) {
    const CValidationSchema schema(site.models().schema());
    QByteArray devices;
    for (const CSimGateway& gateway : site.gateways()) {
        if (!busDevices) {
            devices += projectDevice("IP='" + CIpv4Address::toDotted(gateway.address()) + "'",
                                     gateway.type(), gateway.settings(), schema, kGatewayChanges);
        }
        for (const CSimBusDevice& device : gateway.devices()) {
            if (busDevices && device.uid()) {
                devices += projectDevice("UID='" + QByteArray::number(*device.uid()) + "'",
                                         device.type(), device.settings(), schema, kDeviceChanges);
            }
        }
    }
    return "<?xml version=\"1.0\"?><Plan><Device_Configuration>" + devices +
           "</Device_Configuration><Network_Configuration/></Plan>";
}

std::unique_ptr<CSimSite> buildSite(bool busDevices, QString& error) {
    auto models = std::make_shared<CSimModels>();
    if (!models->load(QCoreApplication::applicationDirPath(), error)) {
        return nullptr;
    }
    auto site = CSimSiteBuilder::build(models, siteConfig(busDevices), error);
    if (!site) {
        return nullptr;
    }
    site->setLatency(latency());
    return std::make_unique<CSimSite>(std::move(*site));
}

// Whether the simulator holds every value the run sent.
int missingOnSite(const CSimSite& site, const CUploadSummary& summary, bool busDevices) {
    int missing = 0;
    for (size_t d = 0; d < summary.devices.size(); ++d) {
        const CDeviceOutcome& device = summary.devices[d];
        for (const CUploadRow& row : device.rows) {
            if (!row.isSent()) {
                continue;
            }
            const CSettingAddress& path = row.setting.address;
            const CSimSettings* settings = nullptr;
            for (const CSimGateway& gateway : site.gateways()) {
                if (!busDevices &&
                    "IP " + CIpv4Address::toDotted(gateway.address()) == device.label) {
                    settings = &gateway.settings();
                }
                for (const CSimBusDevice& bus : gateway.devices()) {
                    if (busDevices && bus.uid() &&
                        "UID " + QByteArray::number(*bus.uid()) == device.label) {
                        settings = &bus.settings();
                    }
                }
            }
            if (settings == nullptr || settings->value(path) != row.wireValue) {
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

// What went to each address, in order: the gateways are uploaded at the same time, each in
// its own order.
QMap<quint32, QList<QByteArray>> byAddress(const QList<QPair<quint32, QByteArray>>& sent) {
    QMap<quint32, QList<QByteArray>> texts;
    for (const auto& [address, text] : sent) {
        texts[address].append(text);
    }
    return texts;
}

void print(const char* what, const Figures& figures) {
    std::printf(
        "%-48s %9.1f s device time  %6.2f s wall  sent %4d  confirmed %4d  repeats %d+%d  "
        "missing on site %d\n",
        what, static_cast<double>(figures.deviceMs) / 1000.0,
        static_cast<double>(figures.wallMs) / 1000.0, figures.counts.sent, figures.counts.confirmed,
        figures.counts.queriesRepeated, figures.counts.setsRepeated, figures.missing);
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

template <typename Upload>
Figures virtualRun(bool busDevices, CPacing pacing, double loss = 0) {
    QString error;
    std::unique_ptr<CSimSite> site = buildSite(busDevices, error);
    if (!site) {
        qFatal("%s", qPrintable(error));
    }
    CSimFaults faults;
    faults.dropShare = loss;
    faults.commandDropShare = loss;
    faults.seed = 7;
    site->setFaults(faults);
    CDocFixture doc;
    const QString path = doc.path(QStringLiteral("project.xml"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(projectFor(*site, busDevices)) < 0) {
        qFatal("cannot write the project");
    }
    file.close();
    doc.doc().openProject(path);
    CManualTimerSource timers;
    CSequencer sequencer(timers);
    sequencer.watch(doc.doc());
    CSimVirtualTime time(*site, doc.doc(), timers, loopback(1), kStart);

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

    Upload upload(doc.doc(), link, {pacing});
    QElapsedTimer wall;
    wall.start();
    upload.start(sequencer);
    time.runUntil([&upload] { return upload.isFinished(); }, std::chrono::hours(2));
    figures.deviceMs = timers.now().count();
    figures.wallMs = wall.elapsed();
    figures.counts = upload.summary().counts();
    figures.missing = missingOnSite(*site, upload.summary(), busDevices);
    figures.summaryTrue = summaryIsTrue(*site, upload.summary(), figures.sent, busDevices);
    return figures;
}

template <typename Upload>
Figures realTimeRun(bool busDevices) {
    QString error;
    std::unique_ptr<CSimSite> site = buildSite(busDevices, error);
    if (!site) {
        qFatal("%s", qPrintable(error));
    }
    const QByteArray project = projectFor(*site, busDevices);
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

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const bool virtualOnly = app.arguments().contains(QStringLiteral("--virtual-only"));
    std::printf(
        "Latency model: gateway %d ms, bus %d ms + %d ms per reported setting, jitter "
        "up to %d ms\n",
        latency().gatewayMs, latency().busMs, latency().busPerSettingMs, latency().jitterMs);
    std::printf("Gateways: %d x %d changed settings; bus devices: %d x %d changed settings\n\n",
                kGateways, kGatewayChanges, kGateways * kDevicesPerGateway, kDeviceChanges);

    const Figures gatewayFixed = virtualRun<CGatewayUpload>(false, CPacing::Fixed);
    print("gateways, fixed pauses (virtual clock)", gatewayFixed);
    const Figures gatewayPaced = virtualRun<CGatewayUpload>(false, CPacing::ByReplies);
    print("gateways, paced by replies (virtual clock)", gatewayPaced);
    const Figures busFixed = virtualRun<CBusUpload>(true, CPacing::Fixed);
    print("bus devices, fixed pauses (virtual clock)", busFixed);
    const Figures busPaced = virtualRun<CBusUpload>(true, CPacing::ByReplies);
    print("bus devices, paced by replies (virtual clock)", busPaced);
    std::printf(
        "\nspeed-up by replies: gateways %.1fx, bus devices %.1fx\n",
        static_cast<double>(gatewayFixed.deviceMs) / static_cast<double>(gatewayPaced.deviceMs),
        static_cast<double>(busFixed.deviceMs) / static_cast<double>(busPaced.deviceMs));
    std::printf(
        "same texts to each address in the same order with both pacings: "
        "gateways %s (%lld commands), bus devices %s (%lld commands)\n",
        byAddress(gatewayFixed.sent) == byAddress(gatewayPaced.sent) ? "yes" : "NO",
        static_cast<long long>(gatewayFixed.sent.size()),
        byAddress(busFixed.sent) == byAddress(busPaced.sent) ? "yes" : "NO",
        static_cast<long long>(busFixed.sent.size()));
    std::printf(
        "\nwith the simulator losing commands and replies (paced by replies, virtual clock):\n");
    for (const double loss : {0.05, 0.20}) {
        const QByteArray share = QByteArray::number(loss * 100) + "% lost";
        const Figures gateways = virtualRun<CGatewayUpload>(false, CPacing::ByReplies, loss);
        print(("gateways, " + share).constData(), gateways);
        const Figures devices = virtualRun<CBusUpload>(true, CPacing::ByReplies, loss);
        print(("bus devices, " + share).constData(), devices);
        std::printf(
            "    confirmed %.1f%% of the settings sent; summaries true and nothing sent "
            "that was not asked: %s\n",
            100.0 * (gateways.counts.confirmed + devices.counts.confirmed) /
                std::max(1, gateways.counts.sent + devices.counts.sent),
            gateways.summaryTrue && devices.summaryTrue ? "yes" : "NO");
    }
    if (virtualOnly) {
        return 0;
    }
    std::printf("\n");
    print("gateways, paced by replies (real time, UDP)", realTimeRun<CGatewayUpload>(false));
    print("bus devices, paced by replies (real time, UDP)", realTimeRun<CBusUpload>(true));
    return 0;
}
