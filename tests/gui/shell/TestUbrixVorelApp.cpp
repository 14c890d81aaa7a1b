#include "CGuiHarness.h"
#include "app/CDemoSite.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/settings/CDataFolder.h"
#include "core/settings/CSettings.h"
#include "core/transport/CAdapterTable.h"
#include "core/transport/CIpv4Address.h"
#include "core/transport/CTransport.h"
#include "core/transport/CUDPListener.h"
#include "gui/base/CDialogService.h"
#include "gui/base/CModalRunner.h"
#include "gui/base/CommandIds.h"
#include "gui/shell/CMainFrame.h"
#include "gui/shell/CNetworkConfig.h"
#include "gui/shell/CUbrixVorelApp.h"
#include "gui/views/CUbrixVorelView.h"
#include "sim/CSimNetwork.h"
#include "support/CRecordingNotifier.h"
#include "support/CTestLan.h"
#include "support/CUdpPeer.h"
#include "support/NamedChild.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

using Kind = CAdapterCandidate::Kind;

CAdapterCandidate candidate(const char* name, Kind kind, const char* address, bool up = true) {
    CAdapterCandidate adapter;
    adapter.name = QString::fromLatin1(name);
    adapter.kind = kind;
    adapter.up = up;
    adapter.ipv4Addresses = {CIpv4Address::fromDotted(address)};
    return adapter;
}

// The loopback address stands in for a wired adapter: it exists in the test's namespace.
QList<CAdapterCandidate> oneWiredAdapter() {
    return {candidate("eth0", Kind::Ethernet, "127.0.0.1")};
}

// Answers every HTTP request with one canned body.
class CIndexServer : public QObject {
public:
    explicit CIndexServer(QByteArray body) : m_body(std::move(body)) {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* client = m_server.nextPendingConnection();
            connect(client, &QTcpSocket::readyRead, client, [this, client] {
                m_request += client->readAll();
                if (!m_request.contains("\r\n\r\n")) {
                    return;
                }
                client->write("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " +
                              QByteArray::number(m_body.size()) + "\r\nConnection: close\r\n\r\n" +
                              m_body);
                client->disconnectFromHost();
            });
        });
    }
    bool listen() { return m_server.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0); }
    QString address() const {
        return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort());
    }
    QByteArray request() const { return m_request; }

private:
    QTcpServer m_server;
    QByteArray m_body;
    QByteArray m_request;
};

}  // namespace

class TestUbrixVorelApp : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstStartUsesDefaultsAndWritesEveryKeyAtExit();
    void adapterMessagesAtStartUp_data();
    void adapterMessagesAtStartUp();
    void releaseCheck_data();
    void releaseCheck();
    void updateCheckAnnouncesBeforeTheWindowIsMade();
    void runTimeChangesAreWrittenAtExit();
    void usbModeWithoutGatewayFallsBackToUdp();
    void tcpModeFromTheSettingsIsCheckedButCannotBeChosen();
    void secondInstanceIsToldThePortIsInUse();
    void demoUsesTheLoopbackAdapterAlone();
    void demoFindsItsSiteAtStart();
    void shutdownLogsWhatIsStillQueued();
    void logFileNamesAreResolvedAgainstTheDataFolder_data();
    void logFileNamesAreResolvedAgainstTheDataFolder();
    void headlessStartGoesOnAndKeepsItsSettings();

private:
    std::unique_ptr<CUbrixVorelApp> makeApp(
        const QList<CAdapterCandidate>& adapters = oneWiredAdapter(), bool demo = false);
    QString settingsPath() const { return m_dir->filePath(QStringLiteral("vorel.ini")); }
    QString dataFolder() const { return m_dir->filePath(QStringLiteral("data")); }
    void writeSetting(const QString& key, const QVariant& value);
    QVariant storedSetting(const QString& key) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    CRecordingNotifier m_notifier;
    QString m_startFolder;
};

void TestUbrixVorelApp::initTestCase() {
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
    m_startFolder = QDir::currentPath();
    // A start without a data folder of the test's own writes below ~/.qttest, not into
    // this user's own data.
    QStandardPaths::setTestModeEnabled(true);
}

void TestUbrixVorelApp::init() {
    CDialogService::enableTestHook();
    m_dir = std::make_unique<QTemporaryDir>();
    // Started in a folder of its own, to show that nothing lands in the working folder.
    QDir::setCurrent(m_dir->path());
    m_notifier.clear();
}

void TestUbrixVorelApp::cleanup() {
    CModalRunner::clearTestRunner();
    QDir::setCurrent(m_startFolder);
    m_dir.reset();
}

std::unique_ptr<CUbrixVorelApp> TestUbrixVorelApp::makeApp(const QList<CAdapterCandidate>& adapters,
                                                           bool demo) {
    CUbrixVorelApp::Options options;
    options.settingsPath = settingsPath();
    options.notifier = &m_notifier;
    options.adapterCandidates = [adapters] { return adapters; };
    options.demo = demo;
    options.dataFolder = dataFolder();
    return std::make_unique<CUbrixVorelApp>(options);
}

void TestUbrixVorelApp::writeSetting(const QString& key, const QVariant& value) {
    QSettings store(settingsPath(), QSettings::IniFormat);
    store.setValue(key, value);
}

QVariant TestUbrixVorelApp::storedSetting(const QString& key) const {
    QSettings store(settingsPath(), QSettings::IniFormat);
    return store.value(key);
}

void TestUbrixVorelApp::firstStartUsesDefaultsAndWritesEveryKeyAtExit() {
    auto app = makeApp();
    QVERIFY(app->InitInstance());

    QVERIFY(m_notifier.messages().isEmpty());
    QCOMPARE(app->transport().sendPort(), 5000);
    QCOMPARE(app->transport().receivePort(), 4000);
    QCOMPARE(app->transport().mode(), CTransport::kModeUdp);
    QVERIFY(!app->transport().isTcpConnected());
    QVERIFY(app->mainFrame() != nullptr);
    QVERIFY(app->mainFrame()->isVisible());
    QCOMPARE(app->mainFrame()->windowTitle(), QStringLiteral("Ubrix VOREL "));
    QVERIFY(qobject_cast<CUbrixVorelView*>(app->mainFrame()->activeView()) != nullptr);
    QVERIFY(app->transport().listener() != nullptr);
    QVERIFY(app->transport().listener()->isRunning());
    QVERIFY(app->document().isLogging());
    QVERIFY(QFile::exists(dataFolder() + QStringLiteral("/logfile.txt")));
    app->document().writeErrorLog("Error in CUbrixVorelDoc::AddMsg()");
    QVERIFY(QFile::exists(dataFolder() + QStringLiteral("/Vorel_Error_log.txt")));
    QVERIFY(!QFile::exists(QStringLiteral("logfile.txt")));
    QVERIFY(!QFile::exists(QStringLiteral("Vorel_Error_log.txt")));
    QVERIFY(app->document().plan().select_node("/Plan/Device_Configuration"));
    QVERIFY(app->document().plan().select_node("/Plan/Network_Configuration"));

    QCOMPARE(app->ExitInstance(), 0);

    QVERIFY(app->transport().listener() == nullptr);
    const QList<std::pair<const char*, QVariant>> expected{
        {"MAP/show ubrix", 1},
        {"MAP/Map file", 0},
        {"MAP/Map Filename", "Results.xml"},
        {"TRAFFIC/show time", 1},
        {"TRAFFIC/show ip", 1},
        {"TRAFFIC/show sent", 0},
        {"TRAFFIC/Log", 1},
        {"TRAFFIC/Log Filename", "logfile.txt"},
        {"UDP/Send_Port", 5000},
        {"UDP/Recv_Port", 4000},
        {"TCP/DefaultIP", 0},
        {"Transport/Mode", 0},
        {"RELEASE/Version", 256},
        {"RELEASE/NEW", 0},
    };
    for (const auto& [key, value] : expected) {
        QCOMPARE(storedSetting(QString::fromLatin1(key)).toString(), value.toString());
    }
    // Reception has ended: the port is free again.
    CUdpPeer next;
    QVERIFY(next.bind(CIpv4Address::kAny, 4000));
}

void TestUbrixVorelApp::adapterMessagesAtStartUp_data() {
    QTest::addColumn<QList<CAdapterCandidate>>("adapters");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("selected");

    QTest::newRow("none") << QList<CAdapterCandidate>{}
                          << QStringList{"No valid Ethernet interfaces detected"} << 0 << "";
    QTest::newRow("only unusable ones")
        << QList<CAdapterCandidate>{candidate("lo", Kind::Loopback, "127.0.0.1"),
                                    candidate("eth0", Kind::Ethernet, "10.0.0.1", false),
                                    candidate("tun0", Kind::Other, "10.8.0.1")}
        << QStringList{"No valid Ethernet interfaces detected"} << 0 << "";
    QTest::newRow("wireless only")
        << QList<CAdapterCandidate>{candidate("wlan0", Kind::Wireless, "10.0.0.2"),
                                    candidate("wlan1", Kind::Wireless, "10.0.1.2")}
        << QStringList{"No wired Ethernet interfaces detected\n"
                       "It is highly recommended to use wired connections not wireless"}
        << 2 << "wlan0";
    QTest::newRow("wired after wireless")
        << QList<CAdapterCandidate>{candidate("wlan0", Kind::Wireless, "10.0.0.2"),
                                    candidate("eth1", Kind::Ethernet, "10.0.1.2")}
        << QStringList{} << 2 << "eth1";
}

void TestUbrixVorelApp::adapterMessagesAtStartUp() {
    QFETCH(QList<CAdapterCandidate>, adapters);
    QFETCH(QStringList, messages);
    QFETCH(int, count);
    QFETCH(QString, selected);

    auto app = makeApp(adapters);
    QVERIFY(app->InitInstance());

    QCOMPARE(m_notifier.messages(), messages);
    QCOMPARE(app->transport().adapters().count(), count);
    QCOMPARE(app->transport().adapters().selectedEntry().name, selected);
    // The program goes on, receiving on any address.
    QVERIFY(app->transport().listener() != nullptr);
    app->ExitInstance();
}

void TestUbrixVorelApp::releaseCheck_data() {
    QTest::addColumn<QVariant>("storedVersion");
    QTest::addColumn<int>("storedNew");
    QTest::addColumn<int>("newAfter");
    QTest::addColumn<QString>("title");

    const int release = 1 * 256 + 0;
    QTest::newRow("older program announced a newer release")
        << QVariant(release - 1) << 1 << 0 << "Ubrix VOREL ";
    QTest::newRow("this program, newer release announced")
        << QVariant(release) << 1 << 1 << "Ubrix VOREL - A newer release is available";
    QTest::newRow("first start") << QVariant() << 0 << 0 << "Ubrix VOREL ";
}

void TestUbrixVorelApp::releaseCheck() {
    QFETCH(QVariant, storedVersion);
    QFETCH(int, storedNew);
    QFETCH(int, newAfter);
    QFETCH(QString, title);

    if (storedVersion.isValid()) {
        writeSetting(QStringLiteral("RELEASE/Version"), storedVersion);
    }
    writeSetting(QStringLiteral("RELEASE/NEW"), storedNew);
    auto app = makeApp();
    QVERIFY(app->InitInstance());

    QCOMPARE(app->mainFrame()->windowTitle(), title);
    QCOMPARE(storedSetting(QStringLiteral("RELEASE/NEW")).toInt(), newAfter);
    QCOMPARE(storedSetting(QStringLiteral("RELEASE/Version")).toInt(), 256);
    QCOMPARE(app->versionMajor(), 1);
    QCOMPARE(app->versionMinor(), 0);
    app->ExitInstance();
}

void TestUbrixVorelApp::updateCheckAnnouncesBeforeTheWindowIsMade() {
    CIndexServer server(
        "<?xml version=\"1.0\"?><download_index>"
        "<file moniker=\"VOREL\"><version>9.2</version></file>"
        "</download_index>");
    QVERIFY(server.listen());
    writeSetting(QStringLiteral("RELEASE/Index URL"), server.address());
    auto app = makeApp();

    QVERIFY(app->InitInstance());

    QVERIFY(server.request().startsWith("GET /customerportal/download_index.xml?t="));
    QCOMPARE(m_notifier.messages(), QStringList{"A more recent version is available"});
    QCOMPARE(app->mainFrame()->windowTitle(),
             QStringLiteral("Ubrix VOREL - A newer release is available"));
    QCOMPARE(storedSetting(QStringLiteral("RELEASE/NEW")).toInt(), 1);
    app->ExitInstance();
}

void TestUbrixVorelApp::runTimeChangesAreWrittenAtExit() {
    auto app = makeApp({candidate("eth0", Kind::Ethernet, "127.0.0.1"),
                        candidate("eth1", Kind::Ethernet, "127.0.0.2")});
    QVERIFY(app->InitInstance());
    CMainFrame* frame = app->mainFrame();
    CModalRunner::setTestRunner([](QDialog& dialog) {
        auto& setup = static_cast<CNetworkConfig&>(dialog);
        namedChild<QComboBox>(setup, "adapters")->setCurrentIndex(1);
        namedChild<QLineEdit>(setup, "sendPort")->setText(QStringLiteral("5100"));
        namedChild<QLineEdit>(setup, "listenPort")->setText(QStringLiteral("4100"));
        namedChild<QLineEdit>(setup, "defaultIp")->setText(QStringLiteral("10.0.0.9"));
        return int(QDialog::Accepted);
    });
    frame->runCommand(vorel::cmd::kInterfaceNetwork);
    frame->runCommand(vorel::cmd::kTimeStamp);
    frame->runCommand(vorel::cmd::kShowIp);
    frame->runCommand(vorel::cmd::kLoggingStop);
    QCOMPARE(app->transport().adapters().selected(), 1);

    app->ExitInstance();

    QCOMPARE(storedSetting(QStringLiteral("UDP/Send_Port")).toInt(), 5100);
    QCOMPARE(storedSetting(QStringLiteral("UDP/Recv_Port")).toInt(), 4100);
    QCOMPARE(storedSetting(QStringLiteral("TCP/DefaultIP")).toLongLong(),
             static_cast<qlonglong>(CIpv4Address::fromDotted("10.0.0.9")));
    QCOMPARE(storedSetting(QStringLiteral("TRAFFIC/show time")).toInt(), 0);
    QCOMPARE(storedSetting(QStringLiteral("TRAFFIC/show ip")).toInt(), 0);
    QCOMPARE(storedSetting(QStringLiteral("TRAFFIC/Log")).toInt(), 0);

    // The chosen adapter is not kept: the next start selects the first wired one again.
    auto next = makeApp({candidate("eth0", Kind::Ethernet, "127.0.0.1"),
                         candidate("eth1", Kind::Ethernet, "127.0.0.2")});
    QVERIFY(next->InitInstance());
    QCOMPARE(next->transport().adapters().selected(), 0);
    QCOMPARE(next->transport().receivePort(), 4100);
    QCOMPARE(next->settings().showTime, 0);
    QVERIFY(!next->document().isLogging());
    next->ExitInstance();
}

void TestUbrixVorelApp::usbModeWithoutGatewayFallsBackToUdp() {
    writeSetting(QStringLiteral("Transport/Mode"), 2);
    auto app = makeApp();
    app->transport().setUsbPortLocator([](quint16) { return QString(); });

    QVERIFY(app->InitInstance());

    QCOMPARE(m_notifier.messages(), QStringList{"Ubrix not found on USB\n"});
    QCOMPARE(app->transport().mode(), CTransport::kModeUdp);
    QVERIFY(app->transport().listener() != nullptr);
    QVERIFY(app->transport().listener()->isRunning());
    auto* view = qobject_cast<CUbrixVorelView*>(app->mainFrame()->activeView());
    QCOMPARE(namedChild<QGroupBox>(*view, "sendGroup")->title(), QStringLiteral("Send UDP"));
    app->ExitInstance();
    QCOMPARE(storedSetting(QStringLiteral("Transport/Mode")).toInt(), 0);
}

void TestUbrixVorelApp::tcpModeFromTheSettingsIsCheckedButCannotBeChosen() {
    writeSetting(QStringLiteral("Transport/Mode"), 1);
    auto app = makeApp();
    QVERIFY(app->InitInstance());
    CMainFrame* frame = app->mainFrame();
    frame->updateCommandUi();

    QVERIFY(CGuiHarness::command(*frame, vorel::cmd::kInterfaceTcp)->isChecked());
    QVERIFY(!CGuiHarness::command(*frame, vorel::cmd::kInterfaceTcp)->isEnabled());
    QVERIFY(!CGuiHarness::command(*frame, vorel::cmd::kInterfaceUdp)->isChecked());
    QVERIFY(CGuiHarness::command(*frame, vorel::cmd::kInterfaceUdp)->isEnabled());

    CGuiHarness::command(*frame, vorel::cmd::kInterfaceUdp)->trigger();
    QCOMPARE(app->transport().mode(), CTransport::kModeUdp);
    QVERIFY(!CGuiHarness::command(*frame, vorel::cmd::kInterfaceTcp)->isChecked());
    app->ExitInstance();
}

void TestUbrixVorelApp::secondInstanceIsToldThePortIsInUse() {
    CUdpPeer first;
    QVERIFY(first.bind(CIpv4Address::kAny, 4000));
    auto app = makeApp();

    QVERIFY(app->InitInstance());

    QTRY_COMPARE(m_notifier.messages(),
                 QStringList{"IP Port is already in use\nPossible multiple Vorel running"});
    app->ExitInstance();
}

void TestUbrixVorelApp::demoUsesTheLoopbackAdapterAlone() {
    bool asked = false;
    CUbrixVorelApp::Options options;
    options.settingsPath = settingsPath();
    options.notifier = &m_notifier;
    options.demo = true;
    options.adapterCandidates = [&asked] {
        asked = true;
        return QList<CAdapterCandidate>{};
    };
    CUbrixVorelApp app(options);

    QVERIFY(app.InitInstance());

    QVERIFY(!asked);
    QVERIFY(m_notifier.messages().isEmpty());
    const CAdapterTable& adapters = app.transport().adapters();
    QCOMPARE(adapters.count(), 1);
    QCOMPARE(adapters.selectedEntry().name, QStringLiteral("Demo (loopback)"));
    QCOMPARE(adapters.selectedEntry().address, CIpv4Address::fromDotted("127.0.0.1"));
    QCOMPARE(adapters.selectedEntry().broadcastAddress,
             CIpv4Address::fromDotted("127.255.255.255"));
    // The demonstration logs in a data folder of its own, apart from the program's.
    const QString demoData =
        CDataFolder::forApplication(QLatin1String(CUbrixVorelApp::kDemoApplication));
    QVERIFY(demoData != CDataFolder::forApplication(QLatin1String(CSettings::kApplication)));
    QVERIFY(QFile::exists(demoData + QStringLiteral("/logfile.txt")));
    app.ExitInstance();
    QDir(demoData).removeRecursively();
}

// The demonstration's first minute: its site is found without a click, and the status line
// says what there is and where to look.
void TestUbrixVorelApp::demoFindsItsSiteAtStart() {
    auto app = makeApp({}, true);
    QVERIFY(app->InitInstance());
    const std::shared_ptr<CSimNetwork> site = CDemoSite::open(*app);
    QVERIFY(site != nullptr);
    QVERIFY2(app->viewState().status.text().startsWith(
                 QStringLiteral("Demonstration site: Ubrix 1 to Ubrix 3 on 127.0.0.2 and up")),
             qPrintable(app->viewState().status.text()));
    QTRY_COMPARE_WITH_TIMEOUT(
        app->document().plan().select_nodes("/Plan/Device_Configuration/UBRIX").size(),
        size_t{CDemoSite::kGateways}, 10000);
    QVERIFY(m_notifier.messages().isEmpty());
    app->ExitInstance();
    QDir(CDataFolder::forApplication(QLatin1String(CUbrixVorelApp::kDemoApplication)))
        .removeRecursively();
}

void TestUbrixVorelApp::shutdownLogsWhatIsStillQueued() {
    auto app = makeApp();
    QVERIFY(app->InitInstance());
    app->document().inboundQueue().push("[14:03:09] (10.0.0.20) !NAME=Lobby;");

    app->ExitInstance();

    QFile log(dataFolder() + QStringLiteral("/logfile.txt"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll(), QByteArray("[14:03:09] (10.0.0.20) !NAME=Lobby;\n"));
}

void TestUbrixVorelApp::logFileNamesAreResolvedAgainstTheDataFolder_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("where");
    QTest::newRow("the default") << "logfile.txt"
                                 << "data/logfile.txt";
    QTest::newRow("in a folder of its own") << "site/b.txt"
                                            << "data/site/b.txt";
    QTest::newRow("absolute") << "<top>/elsewhere.txt"
                              << "elsewhere.txt";
}

void TestUbrixVorelApp::logFileNamesAreResolvedAgainstTheDataFolder() {
    QFETCH(QString, name);
    QFETCH(QString, where);
    writeSetting(QStringLiteral("TRAFFIC/Log Filename"),
                 name.replace(QStringLiteral("<top>"), m_dir->path()));
    auto app = makeApp();
    QVERIFY(app->InitInstance());
    app->document().inboundQueue().push("[14:03:09] (10.0.0.20) !NAME=Lobby;");
    app->document().AddMsg();

    QFile log(m_dir->filePath(where));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll(), QByteArray("[14:03:09] (10.0.0.20) !NAME=Lobby;\n"));
    app->ExitInstance();
    // The name is kept as the user gave it.
    QCOMPARE(storedSetting(QStringLiteral("TRAFFIC/Log Filename")).toString(), name);
}

void TestUbrixVorelApp::headlessStartGoesOnAndKeepsItsSettings() {
    // The program's own message boxes, offscreen, with no test hook: the first message
    // must neither abort nor wait.
    CDialogService::disableTestHook();
    CUbrixVorelApp::Options options;
    options.settingsPath = settingsPath();
    options.dataFolder = dataFolder();
    options.adapterCandidates = [] { return QList<CAdapterCandidate>{}; };
    CUbrixVorelApp app(options);
    QTest::ignoreMessage(QtWarningMsg, "No valid Ethernet interfaces detected");
    QVERIFY(app.InitInstance());
    QCOMPARE(app.ExitInstance(), 0);
    QCOMPARE(storedSetting(QStringLiteral("UDP/Recv_Port")).toInt(), 4000);
}

QTEST_MAIN(TestUbrixVorelApp)
#include "TestUbrixVorelApp.moc"
