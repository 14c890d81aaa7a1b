#include "SimTestSupport.h"
#include "core/transport/CTransport.h"
#include "core/transport/CUDPListener.h"
#include "sim/CSimNetwork.h"
#include "support/CDocFixture.h"
#include "support/CManualClock.h"
#include "support/CRecordingNotifier.h"
#include "support/CTestLan.h"
#include "support/CUdpPeer.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <QTest>
#include <memory>

namespace {

constexpr int kWatchdogMs = 10000;
constexpr int kSendPort = 5000;
constexpr int kReceivePort = 4000;
constexpr int kGateways = 3;
constexpr int kDevices = 4;  // the last of each bus without UID
const quint32 kBroadcast = CIpv4Address::kBroadcast;

// Gateway g (from 0) of the site in the hosts of LAN 1: host 2 + g.
quint32 gatewayAddress(int g) {
    return CTestLan::hostAddress(1, 2 + g);
}
QByteArray dotted(quint32 address) {
    return CIpv4Address::toDotted(address);
}

int count(const pugi::xml_document& plan, const QByteArray& xpath) {
    return static_cast<int>(plan.select_nodes(xpath.constData()).size());
}

QByteArray text(const pugi::xml_document& plan, const QByteArray& xpath) {
    return QByteArray(plan.select_node(xpath.constData()).node().text().get());
}

}  // namespace

// The simulator on a test LAN, heard by the program's own transport, receive thread and
// plan: discovery, registration, collection, addressing, the keypads, hostile hosts, a
// site that shares one namespace, the demonstration site on loopback, the control port.
class TestSimNetwork : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void discoveryFindsEveryGatewayAtItsOwnAddress();
    void registrationFillsTheNetworkConfiguration();
    void fullQueryReachesOnlyTheGatewayAsked();
    void collectingFillsEveryDevice();
    void pressedButtonTakesTheArmedUid();
    void readdressedDeviceIsAnnounced();
    void keypadStatusGoesToTheKeypads();
    void hostileHostIsAnsweredOnlyWhenItAsks();
    void siteSharingOneNamespaceAnswersFromEachAddress();
    void siteInASharedNamespaceHearsOnlyItsOwnAddresses();
    void movedGatewayListensWhereItWasMoved();
    void repliesOnlyToTheAllowedNetwork();
    void demoSiteOnLoopback();
    void controlPortPressesTheButton();
    void restartSilenceAndDelayFollowTheClock();
    void unknownAddressIsReported();
    void tcpModeKeepsOneConnection();
    void tcpStreamIsSplitIntoCommands();

private:
    CSimSite makeSite(const QList<quint32>& addresses) const;
    // The site, each gateway's socket made in its own host.
    void startSiteInHosts(CSimNetwork::Options options = {}, IClock* clock = nullptr);
    // The program's side: transport on LAN lan, receive thread, AddMsg on every line.
    void startProgram(int lan);
    void startProgramOnDemoAdapter();
    void send(const QByteArray& text, quint32 address);
    const pugi::xml_document& plan() const { return m_doc->doc().plan(); }

    std::shared_ptr<CSimModels> m_models;
    std::unique_ptr<CTestLan> m_lan;
    std::unique_ptr<CDocFixture> m_doc;
    CRecordingNotifier m_notifier;
    std::unique_ptr<CTransport> m_transport;
    // Outlives every site that runs on it.
    CManualClock m_clock{QDateTime(QDate(2026, 3, 1), QTime(9, 0, 0))};
    std::unique_ptr<CSimNetwork> m_network;
    QList<QByteArray> m_bangs;
};

void TestSimNetwork::initTestCase() {
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
    m_models = simtest::shippedModels();
}

void TestSimNetwork::init() {
    m_lan = std::make_unique<CTestLan>();
    QVERIFY2(m_lan->addLan(1), qPrintable(m_lan->error()));
    for (int g = 0; g < kGateways; ++g) {
        QVERIFY2(m_lan->addHost(1, 2 + g), qPrintable(m_lan->error()));
    }
    m_doc = std::make_unique<CDocFixture>();
    m_notifier.clear();
    m_bangs.clear();
}

void TestSimNetwork::cleanup() {
    m_network.reset();
    m_transport.reset();
    m_doc.reset();
    m_lan.reset();
}

CSimSite TestSimNetwork::makeSite(const QList<quint32>& addresses) const {
    CSimSiteConfig config;
    config.addresses = addresses;
    config.devicesPerGateway = kDevices;
    config.unaddressedPerGateway = 1;
    QString error;
    auto site = CSimSiteBuilder::build(m_models, config, error);
    if (!site) {
        qFatal("%s", qPrintable(error));
    }
    return std::move(*site);
}

void TestSimNetwork::startSiteInHosts(CSimNetwork::Options options, IClock* clock) {
    QList<quint32> addresses;
    for (int g = 0; g < kGateways; ++g) {
        addresses.append(gatewayAddress(g));
    }
    m_network = std::make_unique<CSimNetwork>(makeSite(addresses), options, clock);
    for (int g = 0; g < kGateways; ++g) {
        QString error;
        const int socket = m_lan->inHost(*m_lan->host(1, 2 + g), [&error] {
            return CSimNetwork::openSocket(CIpv4Address::kAny, kSendPort, error);
        });
        QVERIFY2(socket >= 0, qPrintable(error));
        m_network->attachGatewaySocket(g, socket);
        if (options.tcpPort > 0) {
            const int listener = m_lan->inHost(*m_lan->host(1, 2 + g), [&] {
                return CSimNetwork::openTcpListener(CIpv4Address::kAny, options.tcpPort, error);
            });
            QVERIFY2(listener >= 0, qPrintable(error));
            m_network->attachGatewayTcpListener(g, listener);
        }
    }
    QString error;
    QVERIFY2(m_network->start(error), qPrintable(error));
}

void TestSimNetwork::startProgram(int lan) {
    m_transport = std::make_unique<CTransport>(
        m_notifier, m_doc->clock(), m_doc->doc().inboundQueue(), m_doc->doc().firewallSuspect());
    m_transport->setSendPort(kSendPort);
    m_transport->setReceivePort(kReceivePort);
    m_transport->setAdapters(CAdapterTable::enumerate(m_notifier));
    bool selected = false;
    const auto& entries = m_transport->adapters().entries();
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i].address == CTestLan::programAddress(lan)) {
            selected = m_transport->adapters().select(i);
        }
    }
    QVERIFY(selected);
    connect(m_transport.get(), &CTransport::rxQueued, this, [this] { m_doc->doc().AddMsg(); });
    connect(m_transport.get(), &CTransport::rxBang, this,
            [this](const QByteArray& bang) { m_bangs.append(bang); });
    m_transport->StartTransport();
    QVERIFY(m_transport->listener() && m_transport->listener()->isRunning());
}

void TestSimNetwork::startProgramOnDemoAdapter() {
    m_transport = std::make_unique<CTransport>(
        m_notifier, m_doc->clock(), m_doc->doc().inboundQueue(), m_doc->doc().firewallSuspect());
    m_transport->setSendPort(kSendPort);
    m_transport->setReceivePort(kReceivePort);
    m_transport->adapters().addDemoAdapter();
    connect(m_transport.get(), &CTransport::rxQueued, this, [this] { m_doc->doc().AddMsg(); });
    m_transport->StartTransport();
}

void TestSimNetwork::send(const QByteArray& text, quint32 address) {
    QVERIFY(m_transport->SendText(text, address));
}

void TestSimNetwork::discoveryFindsEveryGatewayAtItsOwnAddress() {
    startSiteInHosts();
    startProgram(1);
    send("&NAME=?;", kBroadcast);
    QTRY_COMPARE_WITH_TIMEOUT(count(plan(), "/Plan/Device_Configuration/UBRIX"), kGateways,
                              kWatchdogMs);
    for (int g = 0; g < kGateways; ++g) {
        const QByteArray ip = dotted(gatewayAddress(g));
        QCOMPARE(text(plan(), "/Plan/Device_Configuration/UBRIX[@IP='" + ip + "']/NAME"),
                 "Ubrix " + QByteArray::number(g + 1));
        QCOMPARE(count(plan(), "/Plan/Network_Configuration/UBRIX[@IP='" + ip + "']"), 1);
    }
    QCOMPARE(m_doc->errorLogText(), QByteArray());
    QVERIFY(m_notifier.messages().isEmpty());
}

void TestSimNetwork::registrationFillsTheNetworkConfiguration() {
    startSiteInHosts();
    startProgram(1);
    send("#UID=REGISTER;", kBroadcast);
    QTRY_COMPARE_WITH_TIMEOUT(count(plan(), "/Plan/Network_Configuration/UBRIX/DEVICE"),
                              kGateways * kDevices, kWatchdogMs);
    for (int g = 0; g < kGateways; ++g) {
        const QByteArray gateway =
            "/Plan/Network_Configuration/UBRIX[@IP='" + dotted(gatewayAddress(g)) + "']";
        QCOMPARE(count(plan(), gateway + "/DEVICE[@UID]"), kDevices - 1);
        const QByteArray firstUid = QByteArray::number(g * kDevices + 1);
        QCOMPARE(count(plan(), gateway + "/DEVICE[@UID='" + firstUid + "']"), 1);
        const QByteArray serial =
            QByteArray::number(CSimSiteBuilder::serialNumber(g, kDevices - 1));
        QCOMPARE(count(plan(), gateway + "/DEVICE[@SN='" + serial + "']"), 1);
    }
    QCOMPARE(count(plan(), "/Plan/Device_Configuration/DEVICE"), kGateways * kDevices);
}

void TestSimNetwork::fullQueryReachesOnlyTheGatewayAsked() {
    startSiteInHosts();
    startProgram(1);
    const int asked = 1;
    const int settings = m_network->withSite(
        [](CSimSite& site) { return static_cast<int>(site.gateways()[asked].settings().size()); });
    send("&=?;", gatewayAddress(asked));
    const QByteArray base =
        "/Plan/Device_Configuration/UBRIX[@IP='" + dotted(gatewayAddress(asked)) + "']";
    QTRY_COMPARE_WITH_TIMEOUT(m_network->counters().sent, static_cast<quint64>(settings),
                              kWatchdogMs);
    QTRY_COMPARE_WITH_TIMEOUT(count(plan(), base + "//*[not(*)]"), settings, kWatchdogMs);
    QCOMPARE(count(plan(), "/Plan/Device_Configuration/UBRIX"), 1);
    QCOMPARE(text(plan(), base + "/TYPE"), QByteArray("UBRIX_B"));
    QCOMPARE(text(plan(), base + "/PORT[@P='C']/SERIAL/BAUD"), QByteArray("9600"));
    QCOMPARE(text(plan(), base + "/NETWORK/STATIC_IP"), dotted(gatewayAddress(asked)));
}

void TestSimNetwork::collectingFillsEveryDevice() {
    startSiteInHosts();
    startProgram(1);
    send("#UID=REGISTER;", kBroadcast);
    QTRY_COMPARE_WITH_TIMEOUT(count(plan(), "/Plan/Network_Configuration/UBRIX/DEVICE[@UID]"),
                              kGateways * (kDevices - 1), kWatchdogMs);
    for (int g = 0; g < kGateways; ++g) {
        for (int d = 0; d < kDevices - 1; ++d) {
            send("#UID" + QByteArray::number(g * kDevices + d + 1) + "=?;", gatewayAddress(g));
        }
    }
    QTRY_COMPARE_WITH_TIMEOUT(count(plan(), "/Plan/Device_Configuration/DEVICE[TYPE]"),
                              kGateways * (kDevices - 1), kWatchdogMs);
    // The types go round the templates over the whole site, unaddressed devices included.
    const QList<QByteArray> expected = {"LUMET_AC", "LUMET_AM", "LUMET_BC", "MOTRA_AC", "TAVO_A",
                                        "TAVO_B",   "LUMET_AM", "LUMET_BC", "LUMET_BM"};
    int i = 0;
    for (int g = 0; g < kGateways; ++g) {
        for (int d = 0; d < kDevices - 1; ++d) {
            const QByteArray uid = QByteArray::number(g * kDevices + d + 1);
            QCOMPARE(text(plan(), "/Plan/Device_Configuration/DEVICE[@UID='" + uid + "']/TYPE"),
                     expected[i++]);
        }
    }
    QCOMPARE(m_doc->errorLogText(), QByteArray());
}

void TestSimNetwork::pressedButtonTakesTheArmedUid() {
    startSiteInHosts();
    startProgram(1);
    const quint32 serial = CSimSiteBuilder::serialNumber(1, kDevices - 1);
    send("#UID=50;", gatewayAddress(1));
    QTRY_VERIFY_WITH_TIMEOUT(
        m_network->withSite([](CSimSite& site) { return site.gateways()[1].armedUid(); }),
        kWatchdogMs);
    QVERIFY(m_network->pressDiscoverButton(1, serial));
    QTRY_COMPARE_WITH_TIMEOUT(text(plan(), "/Plan/Device_Configuration/DEVICE[@UID='50']/TYPE"),
                              QByteArray("LUMET_AC"), kWatchdogMs);
    QCOMPARE(count(plan(), "/Plan/Network_Configuration/UBRIX[@IP='" + dotted(gatewayAddress(1)) +
                               "']/DEVICE[@UID='50']"),
             1);
}

void TestSimNetwork::readdressedDeviceIsAnnounced() {
    startSiteInHosts();
    startProgram(1);
    const quint32 serial = CSimSiteBuilder::serialNumber(2, kDevices - 1);
    send("#SN" + QByteArray::number(serial) + ".UID=60;", kBroadcast);
    QTRY_COMPARE_WITH_TIMEOUT(count(plan(), "/Plan/Network_Configuration/UBRIX[@IP='" +
                                                dotted(gatewayAddress(2)) + "']/DEVICE[@UID='60']"),
                              1, kWatchdogMs);
    // Only the gateway with that device on its bus answered.
    QCOMPARE(count(plan(), "/Plan/Network_Configuration/UBRIX"), 1);
}

void TestSimNetwork::keypadStatusGoesToTheKeypads() {
    startSiteInHosts();
    startProgram(1);
    send("#1.2.0.MOTOR=GOTO,50.25\r", kBroadcast);
    // The second gateway's bus holds a MOTRA_AC with two motors: 1.2.1 and 1.2.2.
    QTRY_COMPARE_WITH_TIMEOUT(m_bangs.size(), 2, kWatchdogMs);
    QCOMPARE(m_bangs, QList<QByteArray>(
                          {"!1.2.1.MOTOR.POSITION=50.25\r\n", "!1.2.2.MOTOR.POSITION=50.25\r\n"}));
}

void TestSimNetwork::hostileHostIsAnsweredOnlyWhenItAsks() {
    startSiteInHosts();
    startProgram(1);
    QVERIFY2(m_lan->addHost(1, 9), qPrintable(m_lan->error()));
    CUdpPeer hostile = m_lan->inHost(*m_lan->host(1, 9), [] {
        CUdpPeer made;
        made.bind(CIpv4Address::kAny, kReceivePort);
        return made;
    });
    const QList<QByteArray> attacks = {
        QByteArray(3000, 'A'),
        QByteArray("\0\xFF\r\n&=?;", 8),
        "!NAME=Evil;\r\n",
        "+UID1;",
        "&=?;&=?;",
        "#UID=0;",
        QByteArray(),
    };
    for (const QByteArray& attack : attacks) {
        QVERIFY(hostile.send(attack, gatewayAddress(0), kSendPort));
        QVERIFY(hostile.send(attack, CIpv4Address::fromDotted("10.77.1.255"), kSendPort));
    }
    QVERIFY(hostile.send("&NAME=?;", gatewayAddress(0), kSendPort));
    const auto answer = hostile.receive(kWatchdogMs);
    QVERIFY(answer.has_value());
    QCOMPARE(answer->bytes, QByteArray("!NAME=Ubrix 1;\r\n"));
    QCOMPARE(answer->sender, gatewayAddress(0));
    QCOMPARE(answer->senderPort, kSendPort);
    QVERIFY(!hostile.receive(200).has_value());
    QVERIFY(m_network->counters().oversize >= 1);
    // The program heard none of it, and still gets its answers.
    QVERIFY(m_doc->doc().trafficHistory().empty());
    send("&NAME=?;", gatewayAddress(0));
    QTRY_COMPARE_WITH_TIMEOUT(count(plan(), "/Plan/Device_Configuration/UBRIX"), 1, kWatchdogMs);
}

void TestSimNetwork::siteSharingOneNamespaceAnswersFromEachAddress() {
    QVERIFY2(m_lan->addLan(2), qPrintable(m_lan->error()));
    QList<quint32> addresses;
    for (int g = 0; g < kGateways; ++g) {
        const quint32 address = CTestLan::hostAddress(2, 10 + g);
        QVERIFY(m_lan->run({"ip", "addr", "add", QString::fromLatin1(dotted(address)) + "/24",
                            "dev", CTestLan::bridgeName(2)}));
        addresses.append(address);
    }
    m_network = std::make_unique<CSimNetwork>(makeSite(addresses), CSimNetwork::Options{});
    QString error;
    QVERIFY2(m_network->start(error), qPrintable(error));
    startProgram(2);
    send("&NAME=?;", kBroadcast);
    QTRY_COMPARE_WITH_TIMEOUT(count(plan(), "/Plan/Device_Configuration/UBRIX"), kGateways,
                              kWatchdogMs);
    for (int g = 0; g < kGateways; ++g) {
        QCOMPARE(text(plan(),
                      "/Plan/Device_Configuration/UBRIX[@IP='" + dotted(addresses[g]) + "']/NAME"),
                 "Ubrix " + QByteArray::number(g + 1));
    }
    send("&NAME=?;", addresses[2]);
    send("#UID=REGISTER;", addresses[1]);
    QTRY_COMPARE_WITH_TIMEOUT(count(plan(), "/Plan/Network_Configuration/UBRIX/DEVICE"), kDevices,
                              kWatchdogMs);
    QCOMPARE(count(plan(),
                   "/Plan/Network_Configuration/UBRIX[@IP='" + dotted(addresses[1]) + "']/DEVICE"),
             kDevices);
}

void TestSimNetwork::movedGatewayListensWhereItWasMoved() {
    QVERIFY2(m_lan->addLan(2), qPrintable(m_lan->error()));
    const quint32 address = CTestLan::hostAddress(2, 10);
    const quint32 fixed = CTestLan::hostAddress(2, 11);
    for (const quint32 added : {address, fixed}) {
        QVERIFY(m_lan->run({"ip", "addr", "add", QString::fromLatin1(dotted(added)) + "/24", "dev",
                            CTestLan::bridgeName(2)}));
    }
    m_network = std::make_unique<CSimNetwork>(makeSite({address}), CSimNetwork::Options{});
    QString error;
    QVERIFY2(m_network->start(error), qPrintable(error));
    CUdpPeer program;
    QVERIFY(program.bind(CTestLan::programAddress(2), kReceivePort));
    const auto ask = [&](const QByteArray& text, quint32 to, int port) {
        return program.send(text, to, port) ? program.receive(kWatchdogMs) : std::nullopt;
    };
    const auto echo = ask("&UDP.LISTEN_PORT=5077", address, kSendPort);
    QVERIFY(echo.has_value());
    QCOMPARE(echo->bytes, QByteArray("!UDP.LISTEN_PORT=5077;\r\n"));
    QVERIFY(program.send("&NAME=?;", address, kSendPort));
    QVERIFY(program.send("&NAME=?;", CIpv4Address::fromDotted("10.77.2.255"), kSendPort));
    QCOMPARE(ask("&NAME=?;", address, 5077)->bytes, QByteArray("!NAME=Ubrix 1;\r\n"));
    // A broadcast on the new port is heard; nothing came for the old port.
    QCOMPARE(ask("&NAME=?;", CIpv4Address::kBroadcast, 5077)->sender, address);

    QVERIFY(ask("&NETWORK.DHCP=DISABLE", address, 5077).has_value());
    const auto moved = ask("&NETWORK.STATIC_IP=" + dotted(fixed), address, 5077);
    QVERIFY(moved.has_value());
    QCOMPARE(moved->sender, fixed);
    QVERIFY(program.send("&NAME=?;", address, 5077));
    QCOMPARE(ask("&TYPE=?;", fixed, 5077)->bytes, QByteArray("!TYPE=UBRIX_A;\r\n"));
    QVERIFY(!program.receive(300).has_value());
}

void TestSimNetwork::siteInASharedNamespaceHearsOnlyItsOwnAddresses() {
    QVERIFY2(m_lan->addLan(2), qPrintable(m_lan->error()));
    const quint32 address = CTestLan::hostAddress(2, 10);
    QVERIFY(m_lan->run({"ip", "addr", "add", QString::fromLatin1(dotted(address)) + "/24", "dev",
                        CTestLan::bridgeName(2)}));
    m_network = std::make_unique<CSimNetwork>(makeSite({address}), CSimNetwork::Options{});
    QString error;
    QVERIFY2(m_network->start(error), qPrintable(error));
    CUdpPeer program;
    QVERIFY(program.bind(CTestLan::programAddress(2), kReceivePort));
    // Another address of this namespace: nothing of the site listens there.
    QVERIFY(program.send("&NAME=?;", CTestLan::programAddress(2), kSendPort));
    QVERIFY(program.send("&NAME=?;", CTestLan::programAddress(1), kSendPort));
    QVERIFY(program.send("&NAME=?;", address, kSendPort));
    const auto answer = program.receive(kWatchdogMs);
    QVERIFY(answer.has_value());
    QCOMPARE(answer->sender, address);
    QVERIFY(!program.receive(200).has_value());
    QCOMPARE(m_network->counters().site.received, 1u);
}

void TestSimNetwork::repliesOnlyToTheAllowedNetwork() {
    CSimNetwork::Options options;
    options.allowedNetwork = CIpv4Address::fromDotted("10.77.9.0");
    options.allowedMask = CIpv4Address::fromDotted("255.255.255.0");
    startSiteInHosts(options);
    startProgram(1);
    send("&NAME=?;", kBroadcast);
    QTRY_COMPARE_WITH_TIMEOUT(m_network->counters().refused, static_cast<quint64>(kGateways),
                              kWatchdogMs);
    QCOMPARE(m_network->counters().sent, 0u);
    QVERIFY(m_doc->doc().trafficHistory().empty());
}

void TestSimNetwork::demoSiteOnLoopback() {
    QString error;
    m_network = CSimNetwork::startDemo(2, 3, QStringLiteral(VOREL_RUNTIME_DIR), error);
    QVERIFY2(m_network, qPrintable(error));
    startProgramOnDemoAdapter();
    send("&NAME=?;", kBroadcast);
    QTRY_COMPARE_WITH_TIMEOUT(count(plan(), "/Plan/Device_Configuration/UBRIX"), 2, kWatchdogMs);
    QCOMPARE(text(plan(), "/Plan/Device_Configuration/UBRIX[@IP='127.0.0.2']/NAME"),
             QByteArray("Ubrix 1"));
    QCOMPARE(text(plan(), "/Plan/Device_Configuration/UBRIX[@IP='127.0.0.3']/NAME"),
             QByteArray("Ubrix 2"));
    // A demonstration site answers loopback only.
    QVERIFY(!m_network->options().limitedBroadcast);
    CUdpPeer stranger;
    QVERIFY(stranger.bind(CTestLan::programAddress(1), 0));
    QVERIFY(stranger.send("&NAME=?;", CIpv4Address::fromDotted("127.0.0.2"), kSendPort));
    QTRY_COMPARE_WITH_TIMEOUT(m_network->counters().refused, 1u, kWatchdogMs);
}

void TestSimNetwork::controlPortPressesTheButton() {
    CSimNetwork::Options options;
    options.controlPort = 7000;
    startSiteInHosts(options);
    startProgram(1);
    send("#UID=70;", gatewayAddress(2));
    QTRY_VERIFY_WITH_TIMEOUT(
        m_network->withSite([](CSimSite& site) { return site.gateways()[2].armedUid(); }),
        kWatchdogMs);
    CUdpPeer control;
    const quint32 loopback = CIpv4Address::fromDotted("127.0.0.1");
    QVERIFY(control.bind(loopback, 0));
    const QByteArray serial = QByteArray::number(CSimSiteBuilder::serialNumber(2, 0));
    QVERIFY(control.send("press 3 " + serial, loopback, options.controlPort));
    const auto answer = control.receive(kWatchdogMs);
    QVERIFY(answer.has_value());
    QCOMPARE(answer->bytes, "pressed " + serial + "\n");
    QTRY_COMPARE_WITH_TIMEOUT(count(plan(), "/Plan/Device_Configuration/DEVICE[@UID='70']/TYPE"), 1,
                              kWatchdogMs);

    QVERIFY(control.send("press 4 1", loopback, options.controlPort));
    QCOMPARE(control.receive(kWatchdogMs)->bytes, QByteArray("error: no gateway 4\n"));
    QVERIFY(
        control.send("press " + dotted(gatewayAddress(0)) + " 1", loopback, options.controlPort));
    QCOMPARE(
        control.receive(kWatchdogMs)->bytes,
        "error: no device with serial number 1 on gateway " + dotted(gatewayAddress(0)) + "\n");
    QVERIFY(control.send("list", loopback, options.controlPort));
    QVERIFY(control.receive(kWatchdogMs)
                ->bytes.startsWith("gateway 1 " + dotted(gatewayAddress(0)) +
                                   " UBRIX_A Ubrix 1; restarts 0\n  SN 100001 UID 1 LUMET_AC\n"));

    const QList<std::pair<QByteArray, QByteArray>> faultLines = {
        {"fault 1 1 silent,refuses-sets", "fault set\n"},
        {"fault 1 99 silent", "error: no device with UID 99 on gateway 1\n"},
        {"fault 1 loud",
         "error: unknown fault loud (none, other-type, silent, refuses-sets, unannounced)\n"},
        {"fault 1", "error: fault <gateway> [<uid>] <kinds>\n"},
    };
    for (const auto& [line, expected] : faultLines) {
        QVERIFY(control.send(line, loopback, options.controlPort));
        QCOMPARE(control.receive(kWatchdogMs)->bytes, expected);
    }
    QVERIFY(control.send("list", loopback, options.controlPort));
    QVERIFY(control.receive(kWatchdogMs)
                ->bytes.contains("\n  SN 100001 UID 1 LUMET_AC (silent, refuses-sets)\n"));
}

void TestSimNetwork::restartSilenceAndDelayFollowTheClock() {
    CManualClock& clock = m_clock;
    startSiteInHosts({}, &clock);
    startProgram(1);
    send("&VERSION_HW=RESET;", gatewayAddress(0));
    send("&NAME=?;", gatewayAddress(0));
    QTRY_COMPARE_WITH_TIMEOUT(m_network->counters().site.received, 2u, kWatchdogMs);
    QCOMPARE(m_network->withSite([](CSimSite& site) { return site.pendingCount(); }), 0);
    QCOMPARE(m_network->counters().sent, 0u);

    clock.advance(std::chrono::milliseconds(CSimSite::kDefaultRestartSilenceMs));
    CSimFaults faults;
    faults.delayMs = 500;
    m_network->withSite([&faults](CSimSite& site) { site.setFaults(faults); });
    send("&NAME=?;", gatewayAddress(0));
    QTRY_COMPARE_WITH_TIMEOUT(
        m_network->withSite([](CSimSite& site) { return site.pendingCount(); }), 1, kWatchdogMs);
    QCOMPARE(m_network->counters().sent, 0u);
    clock.advance(std::chrono::milliseconds(500));
    m_network->wake();
    QTRY_COMPARE_WITH_TIMEOUT(count(plan(), "/Plan/Device_Configuration/UBRIX/NAME"), 1,
                              kWatchdogMs);
}

void TestSimNetwork::unknownAddressIsReported() {
    const quint32 elsewhere = CIpv4Address::fromDotted("10.99.0.1");
    m_network = std::make_unique<CSimNetwork>(makeSite({elsewhere}), CSimNetwork::Options{});
    QString error;
    QVERIFY(!m_network->start(error));
    QCOMPARE(error, QStringLiteral("cannot listen on 10.99.0.1:5000: Cannot assign requested "
                                   "address (no interface of this network namespace has the "
                                   "address)"));
    QVERIFY(!m_network->isRunning());
}

void TestSimNetwork::tcpModeKeepsOneConnection() {
    CSimNetwork::Options options;
    options.tcpPort = CTransport::kTcpPort;
    startSiteInHosts(options);
    startProgram(1);
    m_transport->setMode(CTransport::kModeTcp);
    send("&NAME=?;", gatewayAddress(0));
    QTRY_COMPARE_WITH_TIMEOUT(count(plan(), "/Plan/Device_Configuration/UBRIX"), 1, kWatchdogMs);
    QVERIFY(m_transport->isTcpConnected());
    // Meant for the second gateway, it goes down the connection to the first.
    send("&TYPE=?;", gatewayAddress(1));
    const QByteArray first =
        "/Plan/Device_Configuration/UBRIX[@IP='" + dotted(gatewayAddress(0)) + "']";
    QTRY_COMPARE_WITH_TIMEOUT(text(plan(), first + "/TYPE"), QByteArray("UBRIX_A"), kWatchdogMs);
    QCOMPARE(count(plan(), "/Plan/Device_Configuration/UBRIX"), 1);
    send("&=IDENTIFY", gatewayAddress(2));
    QTRY_COMPARE_WITH_TIMEOUT(
        m_network->withSite([](CSimSite& site) { return site.gateways()[0].identifyCount(); }), 1,
        kWatchdogMs);
    QCOMPARE(m_network->counters().tcpCommands, 3u);
    // A broadcast still goes by UDP to every gateway.
    send("&NAME=?;", kBroadcast);
    QTRY_COMPARE_WITH_TIMEOUT(count(plan(), "/Plan/Device_Configuration/UBRIX"), kGateways,
                              kWatchdogMs);
    QCOMPARE(m_network->counters().tcpCommands, 3u);
}

void TestSimNetwork::tcpStreamIsSplitIntoCommands() {
    CSimNetwork::Options options;
    options.tcpPort = 2323;
    startSiteInHosts(options);
    CUdpPeer program;
    QVERIFY(program.bind(CTestLan::programAddress(1), kReceivePort));
    CFileDescriptor stream(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in gateway{};
    gateway.sin_family = AF_INET;
    gateway.sin_addr.s_addr = gatewayAddress(1);
    gateway.sin_port = htons(2323);
    QCOMPARE(::connect(stream.get(), reinterpret_cast<const sockaddr*>(&gateway), sizeof gateway),
             0);
    char greeting[64] = {};
    QCOMPARE(::recv(stream.get(), greeting, sizeof greeting, 0), ssize_t{13});
    QCOMPARE(QByteArray(greeting), QByteArray("UBRIX READY\r\n"));
    const QByteArray commands = "&NAME=?;#1.2.1.MOTOR=UP\r\n\n&=IDENTIFY";
    QCOMPARE(::send(stream.get(), commands.constData(), commands.size(), 0),
             ssize_t{commands.size()});
    QCOMPARE(program.receive(kWatchdogMs)->bytes, QByteArray("!NAME=Ubrix 2;\r\n"));
    QCOMPARE(program.receive(kWatchdogMs)->bytes, QByteArray("!1.2.1.MOTOR.POSITION=0.00\r\n"));
    QTRY_COMPARE_WITH_TIMEOUT(
        m_network->withSite([](CSimSite& site) { return site.gateways()[1].identifyCount(); }), 1,
        kWatchdogMs);
    QCOMPARE(m_network->counters().tcpCommands, 3u);
}

QTEST_GUILESS_MAIN(TestSimNetwork)
#include "TestSimNetwork.moc"
