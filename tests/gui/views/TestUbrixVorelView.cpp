#include "CGuiHarness.h"
#include "CViewControls.h"
#include "gui/base/CDialogService.h"
#include "gui/base/CommandIds.h"
#include "gui/controls/MyEdit.h"
#include "gui/views/CTrafficListModel.h"
#include "gui/views/CUbrixVorelView.h"
#include "support/CTestLan.h"
#include "support/CUdpPeer.h"
#include "support/NamedChild.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHostInfo>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <memory>

namespace {

constexpr int kSendPort = 5000;
constexpr int kWatchdogMs = 5000;

QStringList itemsOf(const QComboBox* box) {
    QStringList items;
    for (int index = 0; index < box->count(); ++index) {
        items.append(box->itemText(index));
    }
    return items;
}

QStringList itemsOf(const QListWidget* list) {
    QStringList items;
    for (int row = 0; row < list->count(); ++row) {
        items.append(list->item(row)->text());
    }
    return items;
}

QStringList rowsOf(const CTrafficListModel* model) {
    QStringList rows;
    for (int row = 0; row < model->rowCount(); ++row) {
        rows.append(model->data(model->index(row)).toString());
    }
    return rows;
}

// A fresh view as the frame makes one: built, shown, filled.
std::unique_ptr<CUbrixVorelView> openView(CGuiHarness& harness) {
    auto view = std::make_unique<CUbrixVorelView>(harness.context());
    QObject::connect(&harness.doc(), &CUbrixVorelDoc::updateAllViews, view.get(),
                     &CUbrixVorelView::OnUpdate);
    view->resize(700, 500);
    view->show();
    view->OnInitialUpdate();
    return view;
}

void triggerPopup(CUbrixVorelView& view, QWidget* owner, int command) {
    emit qobject_cast<QAbstractItemView*>(owner)->customContextMenuRequested(QPoint(5, 5));
    QMenu* menu = viewcontrols::popup(view);
    QVERIFY(menu != nullptr);
    QAction* action = nullptr;
    for (QAction* candidate : menu->actions()) {
        if (candidate->data().toInt() == command) {
            action = candidate;
        }
    }
    QVERIFY(action != nullptr);
    action->trigger();
}

}  // namespace

class TestUbrixVorelView : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void initialUpdateFillsTheForm();
    void sendCaptionAndDestinationsFollowTheMode_data();
    void sendCaptionAndDestinationsFollowTheMode();
    void historyIsShownByTheViewOptions_data();
    void historyIsShownByTheViewOptions();
    void renderingOptionsApplyToNewLinesAndOnReopen();
    void rememberedDestinationSurvivesRebuilds();
    void sendPutsUpperCaseTextAndCarriageReturnOnTheWire();
    void enterSendsAndEscapeClears();
    void sendGoesToTheChosenGateway();
    void sendWithoutDestinationBroadcastsByUdp();
    void clearEmptiesListAndHistoryAndLogsNothingMore();
    void refreshForgetsGatewaysAndBroadcastsTheNameQuery();
    void listKeepsThousandLinesReopenAndExportKeepTheSession();
    void trafficListFollowsTheRightAndBottomEdges();
    void filterPauseFindCopyAndExport();
};

void TestUbrixVorelView::initTestCase() {
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
}

void TestUbrixVorelView::initialUpdateFillsTheForm() {
    CGuiHarness harness;
    harness.fixture().receive({CGuiHarness::line("10.0.0.20", "!NAME=Lobby;"),
                               CGuiHarness::line("10.0.0.5", "!NAME=Garage;"),
                               CGuiHarness::line("10.0.0.5", "!TYPE=UBRIXA;")});

    auto view = openView(harness);

    const QString host = QHostInfo::localHostName();
    QVERIFY(!host.isEmpty());
    QCOMPARE(namedChild<QLineEdit>(*view, "thisComputer")->text(),
             host + QStringLiteral(" (127.0.0.1)"));
    QVERIFY(namedChild<QLineEdit>(*view, "thisComputer")->isReadOnly());
    QCOMPARE(namedChild<QLineEdit>(*view, "nic")->text(), QStringLiteral("Demo (loopback)"));
    QCOMPARE(namedChild<QGroupBox>(*view, "sendGroup")->title(), QStringLiteral("Send UDP"));
    QCOMPARE(itemsOf(namedChild<QListWidget>(*view, "gateways")), (QStringList{"Garage", "Lobby"}));
    QCOMPARE(itemsOf(namedChild<QComboBox>(*view, "destinations")),
             (QStringList{"Broadcast", "Lobby (..020)", "Garage (..005)"}));
    QCOMPARE(namedChild<QComboBox>(*view, "destinations")->currentIndex(), 0);
    QCOMPARE(namedChild<QComboBox>(*view, "destinations")->itemData(2).toUInt(),
             CIpv4Address::fromDotted("10.0.0.5"));
    QCOMPARE(view->rememberedDestination(), QString());
    QCOMPARE(
        rowsOf(namedChild<CTrafficListModel>(*view, "trafficModel")),
        (QStringList{"[14:03:09] (10.0.0.20) !NAME=Lobby;", "[14:03:09] (10.0.0.5) !NAME=Garage;",
                     "[14:03:09] (10.0.0.5) !TYPE=UBRIXA;"}));
    QCOMPARE(namedChild<QPushButton>(*view, "send")->text(), QStringLiteral("Send"));
}

void TestUbrixVorelView::sendCaptionAndDestinationsFollowTheMode_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("defaultIp");
    QTest::addColumn<bool>("withGateway");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("destinations");

    QTest::newRow("UDP") << CTransport::kModeUdp << "10.0.0.9" << true << "Send UDP"
                         << QStringList{"Broadcast", "Lobby (..020)"};
    QTest::newRow("TCP") << CTransport::kModeTcp << "10.0.0.9" << true << "Send TCP"
                         << QStringList{"10.0.0.9", "Lobby (..020)"};
    QTest::newRow("TCP without default IP")
        << CTransport::kModeTcp << "0.0.0.0" << true << "Send TCP" << QStringList{"Lobby (..020)"};
    QTest::newRow("TCP with nothing")
        << CTransport::kModeTcp << "0.0.0.0" << false << "Send TCP" << QStringList{};
    QTest::newRow("USB") << CTransport::kModeUsb << "10.0.0.9" << true << "Send"
                         << QStringList{"Lobby (..020)"};
}

void TestUbrixVorelView::sendCaptionAndDestinationsFollowTheMode() {
    QFETCH(int, mode);
    QFETCH(QString, defaultIp);
    QFETCH(bool, withGateway);
    QFETCH(QString, caption);
    QFETCH(QStringList, destinations);

    CGuiHarness harness;
    auto view = openView(harness);
    if (withGateway) {
        harness.fixture().receive({CGuiHarness::line("10.0.0.20", "!NAME=Lobby;")});
    }
    harness.transport().setMode(mode);
    harness.transport().setDefaultIp(CIpv4Address::fromDotted(defaultIp.toLatin1()));
    harness.doc().notifyViews(CUbrixVorelDoc::kHintNone);

    QCOMPARE(namedChild<QGroupBox>(*view, "sendGroup")->title(), caption);
    QCOMPARE(itemsOf(namedChild<QComboBox>(*view, "destinations")), destinations);
    QCOMPARE(namedChild<QComboBox>(*view, "destinations")->currentIndex(),
             destinations.isEmpty() ? -1 : 0);
}

void TestUbrixVorelView::historyIsShownByTheViewOptions_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("showTime");
    QTest::addColumn<int>("showIp");
    QTest::addColumn<QString>("shown");

    const QByteArray reply = "[14:03:09] (192.168.1.20) &NAME=Lobby;";
    QTest::newRow("both on") << reply << 1 << 1 << QString::fromLatin1(reply);
    QTest::newRow("time off: one blank before the sender")
        << reply << 0 << 1 << " (192.168.1.20) &NAME=Lobby;";
    QTest::newRow("sender off: its blank stays") << reply << 1 << 0 << "[14:03:09]  &NAME=Lobby;";
    QTest::newRow("both off: two blanks") << reply << 0 << 0 << "  &NAME=Lobby;";
    // Only the first pair of each goes: the reply's own brackets stay.
    QTest::newRow("brackets inside the reply")
        << QByteArray("[14:03:09] (10.0.0.5) &TEXT=[a] (b);") << 0 << 0 << "  &TEXT=[a] (b);";
    // Lines without time and sender (an upload's progress) are shown as they are.
    QTest::newRow("progress line")
        << QByteArray("Uploading 10.0.0.5") << 0 << 0 << "Uploading 10.0.0.5";
}

void TestUbrixVorelView::historyIsShownByTheViewOptions() {
    QFETCH(QByteArray, line);
    QFETCH(int, showTime);
    QFETCH(int, showIp);
    QFETCH(QString, shown);

    CGuiHarness harness;
    harness.fixture().receive({line});
    harness.settings().showTime = showTime;
    harness.settings().showIp = showIp;

    auto view = openView(harness);

    QCOMPARE(rowsOf(namedChild<CTrafficListModel>(*view, "trafficModel")), QStringList{shown});
    // The history itself keeps the line as it came.
    QCOMPARE(harness.doc().trafficHistory().back(), line);
}

void TestUbrixVorelView::renderingOptionsApplyToNewLinesAndOnReopen() {
    CGuiHarness harness;
    harness.fixture().receive({CGuiHarness::line("192.168.1.20", "&NAME=Lobby;")});
    auto view = openView(harness);

    harness.settings().showTime = 0;
    harness.doc().notifyViews(CUbrixVorelDoc::kHintNone);
    harness.fixture().receive({CGuiHarness::line("192.168.1.20", "!NAME=Hall;")});
    QTRY_COMPARE(namedChild<CTrafficListModel>(*view, "trafficModel")->rowCount(), 2);
    // Lines already in the list keep their form; new ones take the options of the moment.
    QCOMPARE(
        rowsOf(namedChild<CTrafficListModel>(*view, "trafficModel")),
        (QStringList{"[14:03:09] (192.168.1.20) &NAME=Lobby;", " (192.168.1.20) !NAME=Hall;"}));

    harness.settings().showIp = 0;
    auto reopened = openView(harness);
    QCOMPARE(rowsOf(namedChild<CTrafficListModel>(*reopened, "trafficModel")),
             (QStringList{"  &NAME=Lobby;", "  !NAME=Hall;"}));

    harness.settings().showTime = 1;
    auto third = openView(harness);
    QCOMPARE(rowsOf(namedChild<CTrafficListModel>(*third, "trafficModel")),
             (QStringList{"[14:03:09]  &NAME=Lobby;", "[14:03:09]  !NAME=Hall;"}));
}

void TestUbrixVorelView::rememberedDestinationSurvivesRebuilds() {
    CGuiHarness harness;
    harness.fixture().receive({CGuiHarness::line("10.0.0.20", "!NAME=Lobby;")});
    auto view = openView(harness);
    QComboBox* destinations = namedChild<QComboBox>(*view, "destinations");

    destinations->setCurrentIndex(1);
    emit destinations->activated(1);
    QCOMPARE(view->rememberedDestination(), QStringLiteral("Lobby (..020)"));

    // A gateway that sorts before it arrives: the choice stays on Lobby.
    harness.fixture().receive({CGuiHarness::line("10.0.0.3", "!NAME=Attic;")});
    QCOMPARE(itemsOf(destinations), (QStringList{"Broadcast", "Lobby (..020)", "Attic (..003)"}));
    QCOMPARE(destinations->currentText(), QStringLiteral("Lobby (..020)"));

    // Once Lobby is gone from the plan, the list falls back to its first entry.
    harness.doc().removeGateway("10.0.0.20");
    harness.doc().notifyViews(CUbrixVorelDoc::kHintRestructured);
    QCOMPARE(itemsOf(destinations), (QStringList{"Broadcast", "Attic (..003)"}));
    QCOMPARE(destinations->currentIndex(), 0);
}

void TestUbrixVorelView::sendPutsUpperCaseTextAndCarriageReturnOnTheWire() {
    CGuiHarness harness;
    CUdpPeer gateway;
    QVERIFY(gateway.bind(CIpv4Address::kAny, kSendPort));
    auto view = openView(harness);

    QTest::keyClicks(namedChild<MyEdit>(*view, "message"), QStringLiteral("&name=?;"));
    QTest::mouseClick(namedChild<QPushButton>(*view, "send"), Qt::LeftButton);

    const auto datagram = gateway.receive(kWatchdogMs);
    QVERIFY(datagram.has_value());
    QCOMPARE(datagram->bytes, QByteArray("&NAME=?;\r"));
    QCOMPARE(datagram->sender, CGuiHarness::loopback(1));
    QCOMPARE(namedChild<MyEdit>(*view, "message")->text(), QStringLiteral("&NAME=?;"));
    QCOMPARE(view->rememberedDestination(), QStringLiteral("Broadcast"));
    QVERIFY(!gateway.receive(200).has_value());
}

void TestUbrixVorelView::enterSendsAndEscapeClears() {
    CGuiHarness harness;
    CUdpPeer gateway;
    QVERIFY(gateway.bind(CIpv4Address::kAny, kSendPort));
    auto view = openView(harness);
    MyEdit* edit = namedChild<MyEdit>(*view, "message");

    QTest::keyClicks(edit, QStringLiteral("&version_hw=?;"));
    QTest::keyClick(edit, Qt::Key_Return);
    // Enter posts the send: nothing has left before the event loop turns.
    QVERIFY(!gateway.receive(100).has_value());
    QCoreApplication::processEvents();
    const auto datagram = gateway.receive(kWatchdogMs);
    QVERIFY(datagram.has_value());
    QCOMPARE(datagram->bytes, QByteArray("&VERSION_HW=?;\r"));

    QTest::keyClick(edit, Qt::Key_Escape);
    QCOMPARE(edit->text(), QString());
}

void TestUbrixVorelView::sendGoesToTheChosenGateway() {
    CGuiHarness harness;
    CUdpPeer everyone;
    QVERIFY(everyone.bind(CIpv4Address::kAny, kSendPort + 1));
    CUdpPeer lobby;
    QVERIFY(lobby.bind(CGuiHarness::loopback(20), kSendPort));
    harness.fixture().receive({CGuiHarness::line("127.0.0.20", "!NAME=Lobby;")});
    auto view = openView(harness);

    namedChild<QComboBox>(*view, "destinations")->setCurrentIndex(1);
    QTest::keyClicks(namedChild<MyEdit>(*view, "message"), QStringLiteral("&=identify"));
    view->OnViewSend();

    const auto datagram = lobby.receive(kWatchdogMs);
    QVERIFY(datagram.has_value());
    QCOMPARE(datagram->bytes, QByteArray("&=IDENTIFY\r"));
    QCOMPARE(view->rememberedDestination(), QStringLiteral("Lobby (..020)"));
}

void TestUbrixVorelView::sendWithoutDestinationBroadcastsByUdp() {
    CGuiHarness harness;
    CUdpPeer gateway;
    QVERIFY(gateway.bind(CIpv4Address::kAny, kSendPort));
    harness.transport().setMode(CTransport::kModeTcp);
    auto view = openView(harness);
    QCOMPARE(namedChild<QComboBox>(*view, "destinations")->count(), 0);

    QTest::keyClicks(namedChild<MyEdit>(*view, "message"), QStringLiteral("&name=?;"));
    view->OnViewSend();

    const auto datagram = gateway.receive(kWatchdogMs);
    QVERIFY(datagram.has_value());
    QCOMPARE(datagram->bytes, QByteArray("&NAME=?;\r"));
    QVERIFY(!harness.transport().isTcpConnected());
    QVERIFY(harness.fixture().notifier().messages().isEmpty());
}

void TestUbrixVorelView::clearEmptiesListAndHistoryAndLogsNothingMore() {
    CGuiHarness harness(true);
    harness.fixture().receive({CGuiHarness::line("10.0.0.20", "!NAME=Lobby;"),
                               CGuiHarness::line("10.0.0.20", "!TYPE=UBRIXA;")});
    auto view = openView(harness);
    QCOMPARE(namedChild<CTrafficListModel>(*view, "trafficModel")->rowCount(), 2);

    triggerPopup(*view, namedChild<QListView>(*view, "traffic"), vorel::cmd::kTrafficClear);

    QCOMPARE(namedChild<CTrafficListModel>(*view, "trafficModel")->rowCount(), 0);
    QVERIFY(harness.doc().trafficHistory().empty());
    harness.doc().stopLogging();
    QFile log(harness.fixture().path(QStringLiteral("logfile.txt")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    // The lines were logged once as they came; clearing the view writes nothing more.
    QCOMPARE(log.readAll(), CGuiHarness::line("10.0.0.20", "!NAME=Lobby;") + '\n' +
                                CGuiHarness::line("10.0.0.20", "!TYPE=UBRIXA;") + '\n');
    // The plan keeps what the cleared lines brought.
    QCOMPARE(namedChild<QListWidget>(*view, "gateways")->count(), 1);
}

void TestUbrixVorelView::refreshForgetsGatewaysAndBroadcastsTheNameQuery() {
    CGuiHarness harness;
    CUdpPeer gateway;
    QVERIFY(gateway.bind(CIpv4Address::kAny, kSendPort));
    harness.fixture().receive({CGuiHarness::line("10.0.0.20", "!NAME=Lobby;")});
    harness.doc().addGatewayToNetwork("10.0.0.20");
    QVERIFY(harness.doc().plan().select_node("//Network_Configuration/UBRIX"));
    // Even in TCP mode the query is a broadcast datagram.
    harness.transport().setMode(CTransport::kModeTcp);
    auto view = openView(harness);
    QCOMPARE(namedChild<QListWidget>(*view, "gateways")->count(), 1);

    triggerPopup(*view, namedChild<QListWidget>(*view, "gateways"), vorel::cmd::kGatewaysRefresh);

    QCOMPARE(namedChild<QListWidget>(*view, "gateways")->count(), 0);
    QVERIFY(!harness.doc().plan().select_node("//Device_Configuration/UBRIX"));
    QVERIFY(!harness.doc().plan().select_node("//Network_Configuration/UBRIX"));
    QVERIFY(harness.doc().plan().select_node("/Plan/Device_Configuration"));
    const auto datagram = gateway.receive(kWatchdogMs);
    QVERIFY(datagram.has_value());
    QCOMPARE(datagram->bytes, QByteArray("&NAME=?;"));
    QVERIFY(!harness.transport().isTcpConnected());

    // The answers rebuild the lists.
    harness.fixture().receive({CGuiHarness::line("10.0.0.21", "!NAME=Hall;")});
    QCOMPARE(itemsOf(namedChild<QListWidget>(*view, "gateways")), QStringList{"Hall"});
    QCOMPARE(itemsOf(namedChild<QComboBox>(*view, "destinations")), QStringList{"Hall (..021)"});
}

void TestUbrixVorelView::listKeepsThousandLinesReopenAndExportKeepTheSession() {
    CGuiHarness harness;
    auto view = openView(harness);
    QList<QByteArray> lines;
    for (int n = 1; n <= 1100; ++n) {
        lines.append(
            CGuiHarness::line("10.0.0.20", QByteArray("!N=" + QByteArray::number(n) + ";")));
    }
    for (const QByteArray& line : lines) {
        harness.fixture().receive({line});
    }
    QTRY_COMPARE(namedChild<CTrafficListModel>(*view, "trafficModel")->rowCount(),
                 CTrafficListModel::kMaxRows);
    QCOMPARE(namedChild<CTrafficListModel>(*view, "trafficModel")->line(0), lines.at(100));
    QCOMPARE(
        namedChild<CTrafficListModel>(*view, "trafficModel")->line(CTrafficListModel::kMaxRows - 1),
        lines.last());

    // Reopened, the list is rebuilt from the session, and Export writes all of it.
    auto reopened = openView(harness);
    CTrafficListModel* model = namedChild<CTrafficListModel>(*reopened, "trafficModel");
    QCOMPARE(model->rowCount(), CTrafficListModel::kMaxRows);
    QCOMPARE(model->line(0), lines.at(100));
    QCOMPARE(model->line(CTrafficListModel::kMaxRows - 1), lines.last());
    CDialogService::enableTestHook();
    const QString exported = harness.fixture().path(QStringLiteral("traffic.txt"));
    CDialogService::setNextFileName(exported);
    reopened->OnCommand(vorel::cmd::kExportTraffic);
    CDialogService::disableTestHook();
    QFile written(exported);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), lines.join('\n') + '\n');
}

void TestUbrixVorelView::trafficListFollowsTheRightAndBottomEdges() {
    CGuiHarness harness;
    auto view = openView(harness);
    view->resize(800, 600);
    const QRect first = namedChild<QListView>(*view, "traffic")->geometry();
    QCOMPARE(800 - (first.x() + first.width()), CUbrixVorelView::kRightGap);
    QCOMPARE(600 - (first.y() + first.height()), CUbrixVorelView::kBottomGap);

    view->resize(1000, 700);
    const QRect second = namedChild<QListView>(*view, "traffic")->geometry();
    QCOMPARE(second.topLeft(), first.topLeft());
    QCOMPARE(1000 - (second.x() + second.width()), CUbrixVorelView::kRightGap);
    QCOMPARE(700 - (second.y() + second.height()), CUbrixVorelView::kBottomGap);
    // The list stays below the form's controls.
    QVERIFY(second.top() >
            namedChild<QGroupBox>(*view, "sendGroup")->mapTo(view.get(), QPoint(0, 0)).y());
}

// The list's own tools as a user drives them: the filter hides lines but not from the
// history, Pause holds the list while lines keep arriving, Find goes both ways, Ctrl+C
// copies the selected lines, and Export writes the shown lines through a save dialog.
void TestUbrixVorelView::filterPauseFindCopyAndExport() {
    CDialogService::enableTestHook();
    CGuiHarness harness;
    auto view = openView(harness);
    harness.fixture().receive({CGuiHarness::line("10.0.0.20", "!NAME=Lobby;"),
                               CGuiHarness::line("10.0.0.5", "!NAME=Garage;"),
                               CGuiHarness::line("10.0.0.20", "!TYPE=UBRIXA;")});
    QTRY_COMPARE(namedChild<CTrafficListModel>(*view, "trafficModel")->rowCount(), 3);

    QTest::keyClicks(namedChild<QLineEdit>(*view, "filter"), QStringLiteral("0.0.20"));
    QCOMPARE(rowsOf(namedChild<CTrafficListModel>(*view, "trafficModel")),
             (QStringList{"[14:03:09] (10.0.0.20) !NAME=Lobby;",
                          "[14:03:09] (10.0.0.20) !TYPE=UBRIXA;"}));

    QTest::mouseClick(namedChild<QPushButton>(*view, "pause"), Qt::LeftButton);
    QCOMPARE(namedChild<QPushButton>(*view, "pause")->text(), QStringLiteral("Resume"));
    harness.fixture().receive({CGuiHarness::line("10.0.0.20", "!NAME=Hall;"),
                               CGuiHarness::line("10.0.0.5", "!NAME=Shed;")});
    QTRY_COMPARE(harness.doc().trafficHistory().size(), std::size_t{5});
    QCoreApplication::processEvents();
    QCOMPARE(namedChild<CTrafficListModel>(*view, "trafficModel")->rowCount(), 2);
    QTest::mouseClick(namedChild<QPushButton>(*view, "pause"), Qt::LeftButton);
    QCOMPARE(namedChild<QPushButton>(*view, "pause")->text(), QStringLiteral("Pause"));
    QCOMPARE(namedChild<CTrafficListModel>(*view, "trafficModel")->rowCount(), 3);
    QCOMPARE(namedChild<CTrafficListModel>(*view, "trafficModel")->line(2),
             QByteArray("[14:03:09] (10.0.0.20) !NAME=Hall;"));

    QTest::keyClicks(namedChild<QLineEdit>(*view, "find"), QStringLiteral("name="));
    QTest::mouseClick(namedChild<QPushButton>(*view, "findNext"), Qt::LeftButton);
    QCOMPARE(namedChild<QListView>(*view, "traffic")->currentIndex().row(), 0);
    QTest::mouseClick(namedChild<QPushButton>(*view, "findNext"), Qt::LeftButton);
    QCOMPARE(namedChild<QListView>(*view, "traffic")->currentIndex().row(), 2);
    QTest::mouseClick(namedChild<QPushButton>(*view, "findPrevious"), Qt::LeftButton);
    QCOMPARE(namedChild<QListView>(*view, "traffic")->currentIndex().row(), 0);
    // Nothing matches: said so, and the line found before is no longer marked.
    namedChild<QLineEdit>(*view, "find")->setText(QStringLiteral("DHCP"));
    QTest::mouseClick(namedChild<QPushButton>(*view, "findNext"), Qt::LeftButton);
    QCOMPARE(harness.state().status.text(), QStringLiteral("Find: no line holds \"DHCP\"."));
    QVERIFY(namedChild<QListView>(*view, "traffic")->selectionModel()->selectedRows().isEmpty());
    QVERIFY(!namedChild<QListView>(*view, "traffic")->currentIndex().isValid());

    QTest::mouseClick(
        namedChild<QListView>(*view, "traffic")->viewport(), Qt::LeftButton, Qt::NoModifier,
        namedChild<QListView>(*view, "traffic")
            ->visualRect(namedChild<CTrafficListModel>(*view, "trafficModel")->index(2))
            .center());
    QTest::mouseClick(
        namedChild<QListView>(*view, "traffic")->viewport(), Qt::LeftButton, Qt::ControlModifier,
        namedChild<QListView>(*view, "traffic")
            ->visualRect(namedChild<CTrafficListModel>(*view, "trafficModel")->index(0))
            .center());
    QTest::keyClick(namedChild<QListView>(*view, "traffic"), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("[14:03:09] (10.0.0.20) !NAME=Lobby;\n"
                            "[14:03:09] (10.0.0.20) !NAME=Hall;\n"));

    QVERIFY(view->handlesCommand(vorel::cmd::kExportTraffic));
    const QString csv = harness.fixture().path(QStringLiteral("traffic.csv"));
    CDialogService::setNextFileName(csv);
    view->OnCommand(vorel::cmd::kExportTraffic);
    const CDialogService::FileRequest asked = CDialogService::askedFileDialogs().value(0);
    QCOMPARE(asked.mode, CDialogService::FileMode::Save);
    QCOMPARE(asked.overwritePrompt, CDialogService::OverwritePrompt::Yes);
    QFile written(csv);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QByteArray("time,sender,text\r\n"
                                           "14:03:09,10.0.0.20,!NAME=Lobby;\r\n"
                                           "14:03:09,10.0.0.20,!TYPE=UBRIXA;\r\n"
                                           "14:03:09,10.0.0.20,!NAME=Hall;\r\n"));

    // A file that cannot be written is said so, and nothing is left behind.
    const QString nowhere = harness.fixture().path(QStringLiteral("missing/traffic.txt"));
    CDialogService::setNextFileName(nowhere);
    CDialogService::setNextAnswer(QMessageBox::Ok);
    view->OnCommand(vorel::cmd::kExportTraffic);
    QCOMPARE(CDialogService::askedTexts().size(), 1);
    QVERIFY(
        CDialogService::askedTexts().at(0).startsWith(QStringLiteral("Cannot write ") + nowhere));
    QVERIFY(!QFile::exists(nowhere));

    // Clearing the filter shows every kept line again; the history was never touched.
    namedChild<QLineEdit>(*view, "filter")->clear();
    QCOMPARE(namedChild<CTrafficListModel>(*view, "trafficModel")->rowCount(), 5);
    QCOMPARE(harness.doc().trafficHistory().size(), std::size_t{5});
    CDialogService::disableTestHook();
}

QTEST_MAIN(TestUbrixVorelView)
#include "TestUbrixVorelView.moc"
