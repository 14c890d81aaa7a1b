#include "CGuiHarness.h"
#include "core/common/Version.h"
#include "core/settings/CSettings.h"
#include "core/transport/CUDPListener.h"
#include "gui/base/CDialogService.h"
#include "gui/base/CFormView.h"
#include "gui/base/CModalRunner.h"
#include "gui/base/CommandIds.h"
#include "gui/shell/CAboutDlg.h"
#include "gui/shell/CMainFrame.h"
#include "gui/shell/CNetworkConfig.h"
#include "gui/views/CTrafficListModel.h"
#include "gui/views/CUbrixVorelNet.h"
#include "gui/views/CUbrixVorelView.h"
#include "support/CTestLan.h"
#include "support/CUdpPeer.h"
#include "support/NamedChild.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHostInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTcpServer>
#include <QTest>
#include <memory>

namespace {

constexpr int kWatchdogMs = 5000;

using Runner = CModalRunner::Runner;

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray logged(const QList<QByteArray>& lines) {
    QByteArray text;
    for (const QByteArray& line : lines) {
        text += line + '\n';
    }
    return text;
}

// Counts what the frame does to a view, in a place that outlives the view.
struct ViewCalls {
    int initialUpdates = 0;
    QList<quint32> hints;
};

class CCountingView : public CFormView {
public:
    CCountingView(std::shared_ptr<ViewCalls> calls, QWidget* parent)
        : CFormView(parent), m_calls(std::move(calls)) {}
    void OnInitialUpdate() override { ++m_calls->initialUpdates; }
    void OnUpdate(quint32 hint) override { m_calls->hints.append(hint); }

private:
    std::shared_ptr<ViewCalls> m_calls;
};

CUbrixVorelView* trafficView(const CMainFrame& frame) {
    return qobject_cast<CUbrixVorelView*>(frame.activeView());
}

}  // namespace

class TestMainFrameCommands : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void everyViewCommandBuildsAFreshView();
    void oldViewIsDetachedFromTheDocument();
    void networkViewIsBuiltForTheSelectedAdapter();
    void timeStampAndShowIpToggleAndRerender();
    void udpClosesTheTcpConnection();
    void showSentMarksOurTextsInTheListAndTheLog();
    void saveMapFileThroughTheDialog();
    void saveMapFileCancelledChangesNothing();
    void loadMapIsTheHiddenCommand();
    void loadProjectRemembersThePathAndShowsTheProject();
    void loadProjectCancelledStillShowsTheProject();
    void saveProjectWritesTheProjectsOwnFile();
    void loggingStopAndStartLogWhatArrivesWhileOn();
    void loggingStartWithAFileThatWillNotOpenStaysOff();
    void logFileNameStopsLoggingOnlyWhenConfirmed();
    void networkSetupShowsTheCurrentValues();
    void networkSetupConfirmedRestartsReception();
    void networkSetupUnchangedStillRestarts();
    void udpChosenInUsbModeStartsReceiving();
    void networkSetupCancelledChangesNothing();
    void networkSetupChecksItsFields_data();
    void networkSetupChecksItsFields();
    void networkSetupChoosesTheAdapter();
    void aboutShowsTheBuildVersion();
    void exitClosesTheWindow();
};

void TestMainFrameCommands::initTestCase() {
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
}

void TestMainFrameCommands::init() {
    CDialogService::enableTestHook();
}

void TestMainFrameCommands::cleanup() {
    CModalRunner::clearTestRunner();
    QCOMPARE(CDialogService::pendingAnswerCount(), 0);
}

void TestMainFrameCommands::everyViewCommandBuildsAFreshView() {
    CGuiHarness harness;
    harness.fixture().receive({CGuiHarness::line("10.0.0.20", "!NAME=Lobby;")});
    CMainFrame frame(harness.context(), false);
    QPointer<QWidget> first = frame.activeView();
    QVERIFY(trafficView(frame) != nullptr);
    QCOMPARE(frame.activeViewCommand(), static_cast<int>(vorel::cmd::kViewTraffic));

    frame.runCommand(vorel::cmd::kViewTraffic);

    QPointer<QWidget> second = frame.activeView();
    QVERIFY(second != first);
    QVERIFY(trafficView(frame) != nullptr);
    // Until it goes, the old view is a hidden child of the frame, never a window of its own.
    QVERIFY(!first.isNull());
    QVERIFY(first->isHidden());
    QCOMPARE(first->parentWidget(), &frame);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    // The fresh view is filled from the document.
    QCOMPARE(namedChild<CTrafficListModel>(*trafficView(frame), "trafficModel")->rowCount(), 1);
    QCOMPARE(namedChild<QListWidget>(*trafficView(frame), "gateways")->count(), 1);
}

void TestMainFrameCommands::oldViewIsDetachedFromTheDocument() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    auto calls = std::make_shared<ViewCalls>();
    frame.registerView(vorel::cmd::kViewUbrixs, [calls](const CViewContext&, QWidget* parent) {
        return new CCountingView(calls, parent);
    });

    frame.runCommand(vorel::cmd::kViewUbrixs);
    QCOMPARE(calls->initialUpdates, 1);
    harness.doc().notifyViews(CUbrixVorelDoc::kHintGatewayAdded);
    QCOMPARE(calls->hints, QList<quint32>{CUbrixVorelDoc::kHintGatewayAdded});

    frame.runCommand(vorel::cmd::kViewUbrixs);
    QCOMPARE(calls->initialUpdates, 2);
    frame.runCommand(vorel::cmd::kViewTraffic);
    calls->hints.clear();
    // The views that went may still exist until the event loop turns: they hear nothing.
    harness.doc().notifyViews(CUbrixVorelDoc::kHintRestructured);
    QVERIFY(calls->hints.isEmpty());
}

void TestMainFrameCommands::networkViewIsBuiltForTheSelectedAdapter() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    frame.runCommand(vorel::cmd::kViewNetwork);
    QVERIFY(qobject_cast<CUbrixVorelNet*>(frame.activeView()) != nullptr);
    QCOMPARE(frame.activeViewCommand(), static_cast<int>(vorel::cmd::kViewNetwork));
    frame.runCommand(vorel::cmd::kViewTraffic);
    QVERIFY(trafficView(frame) != nullptr);
}

void TestMainFrameCommands::timeStampAndShowIpToggleAndRerender() {
    CGuiHarness harness;
    harness.fixture().receive({CGuiHarness::line("192.168.1.20", "&NAME=Lobby;")});
    CMainFrame frame(harness.context(), false);
    harness.fixture().takeHints();

    CGuiHarness::command(frame, vorel::cmd::kTimeStamp)->trigger();
    QCOMPARE(harness.settings().showTime, 0);
    QVERIFY(!CGuiHarness::command(frame, vorel::cmd::kTimeStamp)->isChecked());
    QCOMPARE(harness.fixture().takeHints(), QList<quint32>{CUbrixVorelDoc::kHintNone});
    // The open view keeps the lines it shows until it is opened again.
    QCOMPARE(namedChild<CTrafficListModel>(*trafficView(frame), "trafficModel")->line(0),
             QByteArray("[14:03:09] (192.168.1.20) &NAME=Lobby;"));
    frame.runCommand(vorel::cmd::kViewTraffic);
    QCOMPARE(namedChild<CTrafficListModel>(*trafficView(frame), "trafficModel")->line(0),
             QByteArray(" (192.168.1.20) &NAME=Lobby;"));

    CGuiHarness::command(frame, vorel::cmd::kShowIp)->trigger();
    QCOMPARE(harness.settings().showIp, 0);
    QCOMPARE(harness.fixture().takeHints(), QList<quint32>{CUbrixVorelDoc::kHintNone});
    frame.runCommand(vorel::cmd::kViewTraffic);
    QCOMPARE(namedChild<CTrafficListModel>(*trafficView(frame), "trafficModel")->line(0),
             QByteArray("  &NAME=Lobby;"));

    CGuiHarness::command(frame, vorel::cmd::kTimeStamp)->trigger();
    QCOMPARE(harness.settings().showTime, 1);
    QVERIFY(CGuiHarness::command(frame, vorel::cmd::kTimeStamp)->isChecked());
}

// View > Show Sent: what the program sends joins the list and the log beside what it
// hears, marked as sent; off (the default) none of it does.
void TestMainFrameCommands::showSentMarksOurTextsInTheListAndTheLog() {
    CGuiHarness harness(true);
    CMainFrame frame(harness.context(), false);
    QVERIFY(!CGuiHarness::command(frame, vorel::cmd::kShowSent)->isChecked());
    QVERIFY(harness.transport().SendText("&NAME=?;", CGuiHarness::loopback(7)));
    QVERIFY(harness.doc().trafficHistory().empty());

    CGuiHarness::command(frame, vorel::cmd::kShowSent)->trigger();
    QCOMPARE(harness.settings().showSent, 1);
    QVERIFY(CGuiHarness::command(frame, vorel::cmd::kShowSent)->isChecked());
    QVERIFY(harness.transport().SendText("&LED.VALUE=(5);\r", CGuiHarness::loopback(7)));
    QVERIFY(harness.transport().SendUdp("&NAME=?;", CIpv4Address::kBroadcast, 5000));
    harness.fixture().receive({CGuiHarness::line("127.0.0.7", "!LED.VALUE=5;")});
    QCoreApplication::processEvents();

    const QList<QByteArray> expected{"[14:03:09] -> 127.0.0.7: &LED.VALUE=(5);",
                                     "[14:03:09] -> 255.255.255.255: &NAME=?;",
                                     CGuiHarness::line("127.0.0.7", "!LED.VALUE=5;")};
    auto* model = namedChild<CTrafficListModel>(*trafficView(frame), "trafficModel");
    QCOMPARE(model->shownLines(), expected);
    // Without the sender the mark stays; a filter on the gateway shows both sides.
    CGuiHarness::command(frame, vorel::cmd::kShowIp)->trigger();
    frame.runCommand(vorel::cmd::kViewTraffic);
    model = namedChild<CTrafficListModel>(*trafficView(frame), "trafficModel");
    namedChild<QLineEdit>(*trafficView(frame), "filter")->setText(QStringLiteral("127.0.0.7"));
    QCOMPARE(model->shownLines(),
             (QList<QByteArray>{"[14:03:09] -> &LED.VALUE=(5);", "[14:03:09]  !LED.VALUE=5;"}));
    harness.doc().stopLogging();
    QCOMPARE(readFile(harness.fixture().path(QStringLiteral("logfile.txt"))), logged(expected));
}

void TestMainFrameCommands::udpChosenInUsbModeStartsReceiving() {
    CGuiHarness harness;
    harness.transport().setMode(CTransport::kModeUsb);
    CMainFrame frame(harness.context(), false);
    QVERIFY(harness.transport().listener() == nullptr);

    CGuiHarness::command(frame, vorel::cmd::kInterfaceUdp)->trigger();

    QVERIFY(harness.transport().listener() != nullptr);
    QVERIFY(harness.transport().listener()->isRunning());
    CUdpPeer gateway;
    QVERIFY(gateway.bind(CGuiHarness::loopback(20), 0));
    QVERIFY(
        gateway.send("!NAME=Lobby;", CGuiHarness::loopback(1), harness.transport().receivePort()));
    QTRY_VERIFY_WITH_TIMEOUT(!harness.doc().trafficHistory().empty(), kWatchdogMs);
    QVERIFY(harness.doc().trafficHistory().back().endsWith("(127.0.0.20) !NAME=Lobby;"));
}

void TestMainFrameCommands::udpClosesTheTcpConnection() {
    CGuiHarness harness;
    QTcpServer gatewayTcp;
    QVERIFY(gatewayTcp.listen(QHostAddress(QStringLiteral("127.0.0.20")), 2323));
    CUdpPeer gatewayUdp;
    QVERIFY(gatewayUdp.bind(CGuiHarness::loopback(20), 5000));
    harness.transport().setTcpPort(2323);
    harness.transport().setGreetingWait(std::chrono::milliseconds(0));
    harness.transport().setMode(CTransport::kModeTcp);
    CMainFrame frame(harness.context(), false);
    QVERIFY(harness.transport().SendText("&NAME=?;", CGuiHarness::loopback(20)));
    QVERIFY(harness.transport().isTcpConnected());
    harness.fixture().takeHints();

    CGuiHarness::command(frame, vorel::cmd::kInterfaceUdp)->trigger();

    QCOMPARE(harness.transport().mode(), CTransport::kModeUdp);
    QVERIFY(!harness.transport().isTcpConnected());
    QCOMPARE(harness.fixture().takeHints(), QList<quint32>{CUbrixVorelDoc::kHintNone});
    QCOMPARE(namedChild<QGroupBox>(*trafficView(frame), "sendGroup")->title(),
             QStringLiteral("Send UDP"));
    // The next command goes by datagram.
    QVERIFY(harness.transport().SendText("&TYPE=?;", CGuiHarness::loopback(20)));
    const auto datagram = gatewayUdp.receive(kWatchdogMs);
    QVERIFY(datagram.has_value());
    QCOMPARE(datagram->bytes, QByteArray("&TYPE=?;"));
}

void TestMainFrameCommands::saveMapFileThroughTheDialog() {
    CGuiHarness harness;
    harness.fixture().receive({CGuiHarness::line("10.0.0.20", "!NAME=Lobby;")});
    CMainFrame frame(harness.context(), false);
    const QString path = harness.fixture().path(QStringLiteral("site"));
    CDialogService::setNextFileName(path);

    CGuiHarness::command(frame, vorel::cmd::kSaveMapFile)->trigger();

    const QList<CDialogService::FileRequest> asked = CDialogService::askedFileDialogs();
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked.at(0).mode, CDialogService::FileMode::Save);
    QCOMPARE(asked.at(0).defaultExtension, QStringLiteral("xml"));
    QCOMPARE(asked.at(0).initialName, QStringLiteral("Results.xml"));
    QCOMPARE(asked.at(0).filter, QStringLiteral("Xml Files (*.xml)|*.xml||"));
    QCOMPARE(asked.at(0).overwritePrompt, CDialogService::OverwritePrompt::No);
    // The default extension is added to a name without one.
    QCOMPARE(harness.settings().mapFilename, path + QStringLiteral(".xml"));
    const QByteArray saved = readFile(path + QStringLiteral(".xml"));
    QVERIFY(saved.contains("<UBRIX IP=\"10.0.0.20\">"));
    QVERIFY(saved.contains("<NAME>Lobby</NAME>"));

    // The next save offers the path just chosen.
    CDialogService::setNextFileName(QString());
    frame.runCommand(vorel::cmd::kSaveMapFile);
    QCOMPARE(CDialogService::askedFileDialogs().at(1).initialName, path + QStringLiteral(".xml"));
}

void TestMainFrameCommands::saveMapFileCancelledChangesNothing() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    CDialogService::setNextFileName(QString());
    frame.runCommand(vorel::cmd::kSaveMapFile);
    QCOMPARE(harness.settings().mapFilename, QStringLiteral("Results.xml"));
    QVERIFY(harness.fixture().notifier().messages().isEmpty());
}

void TestMainFrameCommands::loadMapIsTheHiddenCommand() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    const QString path = harness.fixture().path(QStringLiteral("earlier.xml"));
    QVERIFY(writeFile(path,
                      "<?xml version=\"1.0\"?><Plan><Device_Configuration>"
                      "<UBRIX IP=\"10.0.0.7\"><NAME>Loaded</NAME></UBRIX>"
                      "</Device_Configuration><Network_Configuration/></Plan>"));
    harness.settings().mapFilename = QStringLiteral("before.xml");
    CDialogService::setNextFileName(path);

    CGuiHarness::command(frame, vorel::cmd::kLoadMap)->trigger();

    const CDialogService::FileRequest asked = CDialogService::askedFileDialogs().value(0);
    QCOMPARE(asked.mode, CDialogService::FileMode::Open);
    QCOMPARE(asked.defaultExtension, QStringLiteral("xml"));
    QCOMPARE(asked.initialName, QStringLiteral("before.xml"));
    QCOMPARE(asked.filter, QStringLiteral("Xml Files (*.xml)|*.xml||"));
    QCOMPARE(harness.settings().mapFilename, path);
    QVERIFY(harness.doc().plan().select_node("//UBRIX[@IP='10.0.0.7']"));
    QCOMPARE(namedChild<QListWidget>(*trafficView(frame), "gateways")->item(0)->text(),
             QStringLiteral("Loaded"));
}

void TestMainFrameCommands::loadProjectRemembersThePathAndShowsTheProject() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    auto calls = std::make_shared<ViewCalls>();
    frame.registerView(vorel::cmd::kViewProject, [calls](const CViewContext&, QWidget* parent) {
        return new CCountingView(calls, parent);
    });
    const QString path = harness.fixture().path(QStringLiteral("project.xml"));
    QVERIFY(writeFile(path,
                      "<?xml version=\"1.0\"?><Plan><Device_Configuration>"
                      "<UBRIX IP=\"10.0.0.1\"><NAME>Planned</NAME></UBRIX>"
                      "</Device_Configuration><Network_Configuration/></Plan>"));
    CDialogService::setNextFileName(path);

    frame.runCommand(vorel::cmd::kLoadProject);

    const CDialogService::FileRequest asked = CDialogService::askedFileDialogs().value(0);
    QCOMPARE(asked.mode, CDialogService::FileMode::Open);
    QCOMPARE(asked.initialName, QString());
    QCOMPARE(asked.defaultExtension, QStringLiteral("xml"));
    QCOMPARE(asked.filter, QStringLiteral("Xml Files (*.xml)|*.xml||"));
    QVERIFY(harness.doc().hasTemplate());
    QCOMPARE(harness.doc().templatePath(), path);
    QCOMPARE(frame.activeViewCommand(), static_cast<int>(vorel::cmd::kViewProject));
    QCOMPARE(calls->initialUpdates, 1);
}

void TestMainFrameCommands::loadProjectCancelledStillShowsTheProject() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    auto calls = std::make_shared<ViewCalls>();
    frame.registerView(vorel::cmd::kViewProject, [calls](const CViewContext&, QWidget* parent) {
        return new CCountingView(calls, parent);
    });
    CDialogService::setNextFileName(QString());

    frame.runCommand(vorel::cmd::kLoadProject);

    QVERIFY(!harness.doc().hasTemplate());
    QCOMPARE(frame.activeViewCommand(), static_cast<int>(vorel::cmd::kViewProject));
}

// Save writes a project into its own file without asking; a new project is given a name
// first, through a dialog that asks before it lets a file be written over, and that name
// is its file from then on.
void TestMainFrameCommands::saveProjectWritesTheProjectsOwnFile() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    const QString path = harness.fixture().path(QStringLiteral("project.xml"));
    QVERIFY(writeFile(path,
                      "<?xml version=\"1.0\"?><Plan><Device_Configuration>"
                      "<DEVICE UID=\"5\"><NAME>Hall</NAME></DEVICE>"
                      "</Device_Configuration><Network_Configuration/></Plan>"));
    CDialogService::setNextFileName(path);
    frame.runCommand(vorel::cmd::kLoadProject);
    QVERIFY(harness.doc().copyTemplateDevice({CProjectDevice::Role::BusDevice, "5"}));

    frame.runCommand(vorel::cmd::kSaveProject);

    QCOMPARE(CDialogService::askedFileDialogs().size(), 1);
    QVERIFY(readFile(path).contains("UID=\"6\""));
    QVERIFY(!harness.doc().isTemplateModified());

    frame.runCommand(vorel::cmd::kNewProject);
    QVERIFY(harness.doc().hasTemplate());
    QVERIFY(!harness.doc().hasProjectFile());
    QCOMPARE(frame.activeViewCommand(), static_cast<int>(vorel::cmd::kViewProject));
    const QString named = harness.fixture().path(QStringLiteral("new.xml"));
    CDialogService::setNextFileName(named);
    frame.runCommand(vorel::cmd::kSaveProject);

    const CDialogService::FileRequest asked = CDialogService::askedFileDialogs().value(1);
    QCOMPARE(asked.mode, CDialogService::FileMode::Save);
    QCOMPARE(asked.overwritePrompt, CDialogService::OverwritePrompt::Yes);
    QCOMPARE(asked.defaultExtension, QStringLiteral("xml"));
    QVERIFY(readFile(named).contains("<Device_Configuration"));
    QVERIFY(!readFile(named).contains("DEVICE"));
    QCOMPARE(harness.doc().templatePath(), named);
    frame.runCommand(vorel::cmd::kSaveProject);
    QCOMPARE(CDialogService::askedFileDialogs().size(), 2);
}

void TestMainFrameCommands::loggingStopAndStartLogWhatArrivesWhileOn() {
    CGuiHarness harness(true);
    CMainFrame frame(harness.context(), false);
    const QString log = harness.fixture().path(QStringLiteral("logfile.txt"));
    QList<QByteArray> lines;
    for (int n = 1; n <= 5; ++n) {
        lines.append(CGuiHarness::line("10.0.0.20", "&NAME=" + QByteArray::number(n) + ";"));
    }
    harness.fixture().receive(lines.mid(0, 3));

    CGuiHarness::command(frame, vorel::cmd::kLoggingStop)->trigger();
    QVERIFY(!harness.doc().isLogging());
    QVERIFY(CGuiHarness::command(frame, vorel::cmd::kLoggingStop)->isChecked());
    QCOMPARE(readFile(log), logged(lines.mid(0, 3)));

    harness.fixture().receive({lines.at(3)});
    CGuiHarness::command(frame, vorel::cmd::kLoggingStart)->trigger();
    QVERIFY(harness.doc().isLogging());
    QVERIFY(CGuiHarness::command(frame, vorel::cmd::kLoggingStart)->isChecked());
    harness.fixture().receive({lines.at(4)});
    CGuiHarness::command(frame, vorel::cmd::kLoggingStop)->trigger();

    // Each line is logged once, as it arrives; what came while logging was off is not.
    QCOMPARE(readFile(log), logged(lines.mid(0, 3)) + logged({lines.at(4)}));
    QCOMPARE(harness.doc().trafficHistory().size(), std::size_t{5});
}

void TestMainFrameCommands::loggingStartWithAFileThatWillNotOpenStaysOff() {
    CGuiHarness harness;
    harness.settings().logFilename = harness.fixture().path(QStringLiteral("missing/log.txt"));
    CMainFrame frame(harness.context(), false);

    frame.runCommand(vorel::cmd::kLoggingStart);

    QVERIFY(!harness.doc().isLogging());
    QVERIFY(CGuiHarness::command(frame, vorel::cmd::kLoggingStop)->isChecked());
    QVERIFY(CDialogService::askedTexts().isEmpty());
    QVERIFY(harness.fixture().notifier().messages().isEmpty());
}

void TestMainFrameCommands::logFileNameStopsLoggingOnlyWhenConfirmed() {
    CGuiHarness harness;
    const QString dataFolder = harness.fixture().path(QStringLiteral("data"));
    harness.settings().dataFolder = dataFolder;
    harness.settings().logFilename = QStringLiteral("logfile.txt");
    CMainFrame frame(harness.context(), false);
    frame.runCommand(vorel::cmd::kLoggingStart);
    QVERIFY(harness.doc().isLogging());
    harness.fixture().receive({CGuiHarness::line("10.0.0.20", "!NAME=Lobby;")});
    // A name that does not exist yet: Start makes the file.
    const QString chosen = harness.fixture().path(QStringLiteral("site-B.txt"));
    CDialogService::setNextFileName(chosen);

    frame.runCommand(vorel::cmd::kLogFileName);

    const CDialogService::FileRequest asked = CDialogService::askedFileDialogs().value(0);
    QCOMPARE(asked.mode, CDialogService::FileMode::Save);
    QCOMPARE(asked.overwritePrompt, CDialogService::OverwritePrompt::No);
    QCOMPARE(asked.defaultExtension, QStringLiteral("txt"));
    QCOMPARE(asked.initialName, dataFolder + QStringLiteral("/logfile.txt"));
    QCOMPARE(harness.settings().logFilename, chosen);
    QVERIFY(!harness.doc().isLogging());
    QVERIFY(!QFile::exists(chosen));
    QCOMPARE(readFile(dataFolder + QStringLiteral("/logfile.txt")),
             logged({CGuiHarness::line("10.0.0.20", "!NAME=Lobby;")}));

    QCOMPARE(namedChild<QLabel>(frame, "messagePane")->text(),
             QStringLiteral("Logging stopped. Logging > Start logs to ") + chosen);

    frame.runCommand(vorel::cmd::kLoggingStart);
    QVERIFY(harness.doc().isLogging());
    QVERIFY(QFile::exists(chosen));

    // Cancelled: the name stays and logging goes on, into the same file.
    CDialogService::setNextFileName(QString());
    frame.runCommand(vorel::cmd::kLogFileName);
    QCOMPARE(harness.settings().logFilename, chosen);
    QVERIFY(harness.doc().isLogging());
    harness.fixture().receive({CGuiHarness::line("10.0.0.20", "!NAME=Hall;")});
    harness.doc().stopLogging();
    QCOMPARE(readFile(chosen), logged({CGuiHarness::line("10.0.0.20", "!NAME=Hall;")}));
}

void TestMainFrameCommands::networkSetupShowsTheCurrentValues() {
    CGuiHarness harness;
    harness.transport().setSendPort(5001);
    harness.transport().setReceivePort(4001);
    harness.transport().setDefaultIp(CIpv4Address::fromDotted("10.0.0.9"));
    CMainFrame frame(harness.context(), false);
    QStringList seen;
    CModalRunner::setTestRunner([&seen](QDialog& dialog) {
        auto& setup = static_cast<CNetworkConfig&>(dialog);
        seen << setup.windowTitle() << namedChild<QLineEdit>(setup, "hostName")->text()
             << QString::number(namedChild<QComboBox>(setup, "adapters")->count())
             << namedChild<QComboBox>(setup, "adapters")->currentText()
             << namedChild<QLineEdit>(setup, "sendPort")->text()
             << namedChild<QLineEdit>(setup, "listenPort")->text()
             << namedChild<QLineEdit>(setup, "defaultIp")->text();
        return int(QDialog::Rejected);
    });

    frame.runCommand(vorel::cmd::kInterfaceNetwork);

    QCOMPARE(seen, (QStringList{"Network Setup", QHostInfo::localHostName(), "1", "Demo (loopback)",
                                "5001", "4001", "10.0.0.9"}));
}

void TestMainFrameCommands::networkSetupConfirmedRestartsReception() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    harness.transport().StartTransport();
    const CUDPListener* before = harness.transport().listener();
    QVERIFY(before != nullptr);
    harness.fixture().takeHints();
    CModalRunner::setTestRunner([](QDialog& dialog) {
        auto& setup = static_cast<CNetworkConfig&>(dialog);
        namedChild<QLineEdit>(setup, "sendPort")->setText(QStringLiteral("5100"));
        namedChild<QLineEdit>(setup, "listenPort")->setText(QStringLiteral("4100"));
        namedChild<QLineEdit>(setup, "defaultIp")->setText(QStringLiteral("10.0.0.9"));
        return int(QDialog::Accepted);
    });

    frame.runCommand(vorel::cmd::kInterfaceNetwork);

    QCOMPARE(harness.transport().sendPort(), 5100);
    QCOMPARE(harness.transport().receivePort(), 4100);
    QCOMPARE(harness.transport().defaultIp(), CIpv4Address::fromDotted("10.0.0.9"));
    QCOMPARE(harness.fixture().takeHints(), QList<quint32>{CUbrixVorelDoc::kHintNone});
    const CUDPListener* after = harness.transport().listener();
    QVERIFY(after != nullptr);
    QCOMPARE(after->port(), 4100);
    QVERIFY(after->isRunning());

    // The new port hears a gateway, and its line reaches the traffic view.
    CUdpPeer gateway;
    QVERIFY(gateway.bind(CGuiHarness::loopback(20), 0));
    QVERIFY(gateway.send("!NAME=Lobby;\r\n", CGuiHarness::loopback(1), 4100));
    QTRY_COMPARE(namedChild<QListWidget>(*trafficView(frame), "gateways")->count(), 1);
    QCOMPARE(namedChild<CTrafficListModel>(*trafficView(frame), "trafficModel")->line(0),
             QByteArray("[14:03:09] (127.0.0.20) !NAME=Lobby;"));
}

void TestMainFrameCommands::networkSetupUnchangedStillRestarts() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    harness.transport().StartTransport();
    QPointer<CUDPListener> before = harness.transport().listener();
    CModalRunner::setTestRunner([](QDialog&) { return int(QDialog::Accepted); });

    frame.runCommand(vorel::cmd::kInterfaceNetwork);

    QVERIFY(before.isNull());
    QVERIFY(harness.transport().listener() != nullptr);
    QCOMPARE(harness.transport().listener()->port(), 4000);
    QVERIFY(harness.transport().listener()->isRunning());
    QCOMPARE(harness.transport().sendPort(), 5000);
    QCOMPARE(harness.transport().defaultIp(), 0u);
}

void TestMainFrameCommands::networkSetupCancelledChangesNothing() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    harness.transport().StartTransport();
    const CUDPListener* before = harness.transport().listener();
    harness.fixture().takeHints();
    CModalRunner::setTestRunner([](QDialog& dialog) {
        namedChild<QLineEdit>(dialog, "listenPort")->setText(QStringLiteral("4100"));
        return int(QDialog::Rejected);
    });

    frame.runCommand(vorel::cmd::kInterfaceNetwork);

    QCOMPARE(harness.transport().listener(), before);
    QCOMPARE(harness.transport().receivePort(), 4000);
    QVERIFY(harness.fixture().takeHints().isEmpty());
}

void TestMainFrameCommands::networkSetupChecksItsFields_data() {
    QTest::addColumn<QString>("sendPort");
    QTest::addColumn<QString>("listenPort");
    QTest::addColumn<QString>("defaultIp");
    QTest::addColumn<QString>("refusal");  // empty: the form is taken
    QTest::addColumn<int>("expectedSendPort");
    QTest::addColumn<quint32>("expectedDefaultIp");

    const QString sendPort = QStringLiteral("Send port must be a number from 1 to 65535.");
    const QString listenPort = QStringLiteral("Listen port must be a number from 1 to 65535.");
    const QString address = QStringLiteral(
        "Default IP must be an IPv4 address such as 192.168.1.20 (0.0.0.0 for none).");
    QTest::newRow("shorthand address")
        << "5100"
        << "4000"
        << "10.9" << QString() << 5100 << CIpv4Address::fromDotted("10.0.0.9");
    QTest::newRow("zero address is none") << "5100"
                                          << "4000"
                                          << "0.0.0.0" << QString() << 5100 << 0u;
    QTest::newRow("empty port") << ""
                                << "4000"
                                << "10.0.0.9" << sendPort << 5000 << 0u;
    QTest::newRow("port 0") << "0"
                            << "4000"
                            << "10.0.0.9" << sendPort << 5000 << 0u;
    QTest::newRow("listen port past 65535") << "5100"
                                            << "65536"
                                            << "10.0.0.9" << listenPort << 5000 << 0u;
    QTest::newRow("not an address") << "5100"
                                    << "4000"
                                    << "gateway" << address << 5000 << 0u;
    QTest::newRow("empty address") << "5100"
                                   << "4000"
                                   << "" << address << 5000 << 0u;
}

void TestMainFrameCommands::networkSetupChecksItsFields() {
    QFETCH(QString, sendPort);
    QFETCH(QString, listenPort);
    QFETCH(QString, defaultIp);
    QFETCH(QString, refusal);
    QFETCH(int, expectedSendPort);
    QFETCH(quint32, expectedDefaultIp);

    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    if (!refusal.isEmpty()) {
        CDialogService::setNextAnswer(QMessageBox::Ok);
    }
    CModalRunner::setTestRunner([&](QDialog& dialog) {
        auto& setup = static_cast<CNetworkConfig&>(dialog);
        namedChild<QLineEdit>(setup, "sendPort")->setText(sendPort);
        namedChild<QLineEdit>(setup, "listenPort")->setText(listenPort);
        namedChild<QLineEdit>(setup, "defaultIp")->setText(defaultIp);
        // OK, then Cancel when the form was refused.
        setup.accept();
        return setup.result();
    });

    frame.runCommand(vorel::cmd::kInterfaceNetwork);

    QCOMPARE(CDialogService::askedTexts(),
             refusal.isEmpty() ? QStringList() : QStringList{refusal});
    QCOMPARE(harness.transport().sendPort(), expectedSendPort);
    QCOMPARE(harness.transport().receivePort(), 4000);
    QCOMPARE(harness.transport().defaultIp(), expectedDefaultIp);
}

void TestMainFrameCommands::networkSetupChoosesTheAdapter() {
    CGuiHarness harness;
    CAdapterCandidate first;
    first.name = QStringLiteral("eth-a");
    first.kind = CAdapterCandidate::Kind::Ethernet;
    first.up = true;
    first.ipv4Addresses = {CIpv4Address::fromDotted("10.1.0.1")};
    CAdapterCandidate second = first;
    second.name = QStringLiteral("eth-b");
    second.ipv4Addresses = {CIpv4Address::fromDotted("10.2.0.1")};
    harness.transport().setAdapters(CAdapterTable::fromCandidates({first, second}));
    CMainFrame frame(harness.context(), false);
    QCOMPARE(namedChild<QLineEdit>(*trafficView(frame), "nic")->text(), QStringLiteral("eth-a"));
    QStringList offered;
    CModalRunner::setTestRunner([&offered](QDialog& dialog) {
        auto& setup = static_cast<CNetworkConfig&>(dialog);
        for (int index = 0; index < namedChild<QComboBox>(setup, "adapters")->count(); ++index) {
            offered.append(namedChild<QComboBox>(setup, "adapters")->itemText(index));
        }
        namedChild<QComboBox>(setup, "adapters")->setCurrentIndex(1);
        return int(QDialog::Accepted);
    });

    frame.runCommand(vorel::cmd::kInterfaceNetwork);

    QCOMPARE(offered, (QStringList{"eth-a", "eth-b"}));
    QCOMPARE(harness.transport().adapters().selected(), 1);
    QCOMPARE(namedChild<QLineEdit>(*trafficView(frame), "nic")->text(), QStringLiteral("eth-b"));
}

void TestMainFrameCommands::aboutShowsTheBuildVersion() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    QString title;
    QString version;
    QString notice;
    CModalRunner::setTestRunner([&](QDialog& dialog) {
        auto& about = static_cast<CAboutDlg&>(dialog);
        title = about.windowTitle();
        version = namedChild<QLabel>(about, "version")->text();
        notice = namedChild<QLabel>(about, "notice")->text();
        return int(QDialog::Accepted);
    });

    frame.runCommand(vorel::cmd::kAbout);

    // The project's version is major.minor.patch.build.
    const QStringList parts = QString::fromLatin1(vorel::version::kText).split(QLatin1Char('.'));
    QCOMPARE(parts.size(), 4);
    QCOMPARE(title, QStringLiteral("About Ubrix Vorel"));
    QCOMPARE(version, QStringLiteral("Version %1.%2 build %3").arg(parts[0], parts[1], parts[3]));
    QVERIFY(!notice.isEmpty());
    QCOMPARE(CAboutDlg::versionText(std::nullopt), QString());
    QCOMPARE(CAboutDlg::versionText(CAboutDlg::Version{2, 14, 301}),
             QStringLiteral("Version 2.14 build 301"));
}

void TestMainFrameCommands::exitClosesTheWindow() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    frame.show();
    QVERIFY(frame.isVisible());
    frame.runCommand(vorel::cmd::kExit);
    QVERIFY(!frame.isVisible());
}

QTEST_MAIN(TestMainFrameCommands)
#include "TestMainFrameCommands.moc"
