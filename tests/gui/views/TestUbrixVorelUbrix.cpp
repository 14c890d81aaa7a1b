#include "CGuiHarness.h"
#include "CPropertyListDriver.h"
#include "CTreeDriver.h"
#include "CViewControls.h"
#include "core/plan/CGatewayPage.h"
#include "core/protocol/CValueValidator.h"
#include "core/sequence/CBroadcastQuery.h"
#include "core/sequence/CGatewayReturn.h"
#include "core/transport/CUDPListener.h"
#include "gui/base/CDialogService.h"
#include "gui/base/CommandIds.h"
#include "gui/controls/CPropertyList.h"
#include "gui/views/CUbrixVorelUbrix.h"
#include "support/CTestLan.h"
#include "support/CUdpPeer.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <memory>

using namespace std::chrono_literals;

namespace {

constexpr int kSendPort = 5000;
constexpr int kQuietMs = 300;

// Gateways on loopback addresses of the test's own namespace: .5 a UBRIX_C, .6 a UBRIX_A.
const QList<QByteArray> kSite{
    CGuiHarness::line("127.0.0.5", "!TYPE=UBRIX_C;"),
    CGuiHarness::line("127.0.0.5", "!NAME=Lobby;"),
    CGuiHarness::line("127.0.0.5", "!NETWORK.DHCP=DISABLE;"),
    CGuiHarness::line("127.0.0.5", "!LUTRON.STATE=DISABLE;"),
    CGuiHarness::line("127.0.0.5", "!A.SERIAL.TYPE=NONE;"),
    CGuiHarness::line("127.0.0.5", "!WIFI.SSID=home;"),
    CGuiHarness::line("127.0.0.6", "!TYPE=UBRIX_A;"),
    CGuiHarness::line("127.0.0.6", "!NAME=Attic;"),
};

// The tree in one line per item, indented by depth: label, kind, and "*" with an icon.
QStringList describe(const CUbrixVorelUbrix& view) {
    return treeview::lines(viewcontrols::tree(view), [](const QModelIndex& index) {
        return " " + QString::number(index.data(CTreeModel::kKindRole).toInt()) +
               (index.data(Qt::DecorationRole).value<QIcon>().isNull() ? "" : "*");
    });
}

// The item at a path of labels below the root.
QModelIndex itemAt(const CUbrixVorelUbrix& view, const QStringList& labels) {
    return treeview::at(viewcontrols::tree(view), labels);
}

QStringList gatewayLabels(const CUbrixVorelUbrix& view) {
    return treeview::childLabels(itemAt(view, {}));
}

// Every send fails from now on: the only adapter has an address this machine lacks.
void breakSends(CGuiHarness& harness) {
    CAdapterCandidate gone{QStringLiteral("gone"),
                           CAdapterCandidate::Kind::Ethernet,
                           true,
                           9,
                           {CIpv4Address::fromDotted("10.250.250.250")}};
    harness.transport().setAdapters(CAdapterTable::fromCandidates({gone}));
}

std::unique_ptr<CUbrixVorelUbrix> openView(CGuiHarness& harness) {
    auto view = std::make_unique<CUbrixVorelUbrix>(harness.context());
    QObject::connect(&harness.doc(), &CUbrixVorelDoc::updateAllViews, view.get(),
                     &CUbrixVorelUbrix::OnUpdate);
    view->OnInitialUpdate();
    view->resize(700, 400);
    view->show();
    return view;
}

}  // namespace

class TestUbrixVorelUbrix : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { CDialogService::enableTestHook(); }
    void cleanup() { CDialogService::disableTestHook(); }

    void treeOfThePlan();
    void updatesByHint_data();
    void updatesByHint();
    void commitGoesToTheListedPage();
    void refusedValueIsPutBackAndNotSent_data();
    void refusedValueIsPutBackAndNotSent();
    void listFollowsTheReplies();
    void failedSendPutsTheValueBack();
    void restart_data();
    void restart();
    void failedRestartKeepsTheGateway();
    void restartedGatewayIsAskedUntilBack_data();
    void restartedGatewayIsAskedUntilBack();
    void refreshAsksAfterThePauseWithoutBlocking_data();
    void refreshAsksAfterThePauseWithoutBlocking();
    void refreshOutlivesTheView();
    void quoteInTypeListsGreyRows();
};

// The test's sockets bind the program's fixed ports: a namespace of its own keeps them from
// meeting those of the test programs running beside it.
void TestUbrixVorelUbrix::initTestCase() {
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
}

void TestUbrixVorelUbrix::treeOfThePlan() {
    CGuiHarness harness;
    auto view = openView(harness);
    QCOMPARE(describe(*view), QStringList{"LAN network 0*"});
    harness.fixture().receive(kSite);
    QCOMPARE(describe(*view),
             (QStringList{"LAN network 0*", "  Lobby 1*", "    NETWORK 21*", "    LUTRON 25*",
                          "    PORT (A) 12*", "      SERIAL 26*", "    WIFI 30", "  Attic 1*"}));
    QCOMPARE(viewcontrols::tree(*view).isExpanded(itemAt(*view, {})), true);
}

void TestUbrixVorelUbrix::updatesByHint_data() {
    QTest::addColumn<quint32>("hint");
    QTest::addColumn<QStringList>("gateways");
    QTest::addColumn<bool>("udpAdded");

    const QStringList unchanged{"Lobby", "Attic"};
    QTest::newRow("none") << quint32(0) << unchanged << false;
    QTest::newRow("device announced") << quint32(1) << unchanged << false;
    QTest::newRow("traffic line") << quint32(32) << unchanged << false;
    // The tree only grows on these: the removed gateway stays until a rebuild.
    QTest::newRow("settings: a reply adding a section")
        << quint32(2) << QStringList{"Lobby", "Attic", "Cellar"} << true;
    QTest::newRow("gateway added") << quint32(8) << QStringList{"Lobby", "Attic", "Cellar"} << true;
    QTest::newRow("announcement and settings in one drain")
        << quint32((5u << 16) + 3) << QStringList{"Lobby", "Attic", "Cellar"} << true;
    QTest::newRow("a map file was loaded") << quint32(16) << QStringList{"Lobby", "Cellar"} << true;
}

void TestUbrixVorelUbrix::updatesByHint() {
    QFETCH(quint32, hint);
    QFETCH(QStringList, gateways);
    QFETCH(bool, udpAdded);

    CGuiHarness harness;
    harness.fixture().receive(kSite);
    // Not connected: the hint under test is the only one the view hears.
    CUbrixVorelUbrix view(harness.context());
    QAbstractItemModelTester tester(viewcontrols::tree(view).model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    view.OnInitialUpdate();
    view.OnUpdate(CUbrixVorelDoc::kHintGatewayAdded);
    for (const QStringList& path : {QStringList{"Lobby"}, {"Lobby", "PORT (A)"}, {"Attic"}}) {
        viewcontrols::tree(view).expand(itemAt(view, path));
    }
    view.OnNMClickTree2(itemAt(view, {"Lobby", "LUTRON"}));
    const QStringList expanded = treeview::expanded(viewcontrols::tree(view));
    QCOMPARE(expanded, (QStringList{"Lobby", "Lobby/PORT (A)", "Attic"}));
    harness.doc().removeGateway("127.0.0.6");
    harness.fixture().receive({CGuiHarness::line("127.0.0.7", "!NAME=Cellar;"),
                               CGuiHarness::line("127.0.0.5", "!UDP.LISTEN_PORT=4000;")});

    view.OnUpdate(hint);
    QCOMPARE(gatewayLabels(view), gateways);
    QCOMPARE(itemAt(view, {"Lobby", "UDP"}).isValid(), udpAdded);
    // What stays stays open and selected.
    QCOMPARE(treeview::selected(viewcontrols::tree(view)), QStringLiteral("Lobby/LUTRON"));
    QCOMPARE(treeview::expanded(viewcontrols::tree(view)),
             gateways.contains("Attic") ? expanded : expanded.mid(0, 2));
}

void TestUbrixVorelUbrix::commitGoesToTheListedPage() {
    CGuiHarness harness;
    CUdpPeer lobby;
    CUdpPeer attic;
    QVERIFY(lobby.bind(CGuiHarness::loopback(5), kSendPort));
    QVERIFY(attic.bind(CGuiHarness::loopback(6), kSendPort));
    harness.fixture().receive(kSite);
    auto view = openView(harness);

    view->OnNMClickTree2(itemAt(*view, {"Lobby", "NETWORK"}));
    QCOMPARE(namedChild<QLineEdit>(*view, "restartNote")->text(),
             QString::fromLatin1(CGatewayPage::kRestartNeeded));
    // A note wider than its field is read from its beginning.
    QCOMPARE(namedChild<QLineEdit>(*view, "restartNote")->cursorPosition(), 0);
    QCOMPARE(viewcontrols::properties(*view).valueHeader(), QStringLiteral("IP: 127.0.0.5"));
    // The selection moves on (arrow keys) without a click: the page shown stays Lobby's.
    viewcontrols::tree(*view).setCurrentIndex(itemAt(*view, {"Attic"}));
    const int dhcp =
        propertylist::rowLabelled(viewcontrols::properties(*view), QStringLiteral("DHCP"));
    QVERIFY(dhcp >= 0);
    auto* list = &viewcontrols::properties(*view);
    propertylist::enter(*list, dhcp, QStringLiteral("ENABLE"));

    const auto sent = lobby.receive(kQuietMs * 10);
    QVERIFY(sent.has_value());
    QCOMPARE(sent->bytes, QByteArray("&NETWORK.DHCP=ENABLE;"));
    QVERIFY(!attic.receive(kQuietMs).has_value());
    // The plan waits for the echo.
    QCOMPARE(harness.doc()
                 .plan()
                 .first_element_by_path("Plan/Device_Configuration/UBRIX/NETWORK/DHCP")
                 .text()
                 .get(),
             std::string_view("DISABLE"));

    // Port pages carry the port; the LUTRON note is its own.
    view->OnNMClickTree2(itemAt(*view, {"Lobby", "LUTRON"}));
    QCOMPARE(namedChild<QLineEdit>(*view, "restartNote")->text(),
             QString::fromLatin1(CGatewayPage::kConnectionRestartNeeded));
    view->OnNMClickTree2(itemAt(*view, {"Lobby", "PORT (A)", "SERIAL"}));
    const int type = propertylist::rowLabelled(*list, QStringLiteral("TYPE"));
    QVERIFY(type >= 0);
    QCOMPARE(list->row(type).options, (QStringList{"KVBUS", "NONE"}));
    propertylist::enter(*list, type, QStringLiteral("KVBUS"));
    const auto port = lobby.receive(kQuietMs * 10);
    QVERIFY(port.has_value());
    QCOMPARE(port->bytes, QByteArray("&A.SERIAL.TYPE=KVBUS;"));
}

void TestUbrixVorelUbrix::refusedValueIsPutBackAndNotSent_data() {
    QTest::addColumn<QStringList>("page");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("planValue");

    QTest::newRow("a second command")
        << QStringList{"Lobby"} << "NAME"
        << "Hall;&VERSION_HW=RESET" << QString::fromLatin1(CValueValidator::kSemicolon) << "Lobby";
    QTest::newRow("a port above 65535") << QStringList{"Lobby", "UDP"} << "LISTEN_PORT"
                                        << "99999"
                                        << "UDP.LISTEN_PORT: 99999 is not a port (1-65535)"
                                        << "5000";
    QTest::newRow("a port that is no number") << QStringList{"Lobby", "UDP"} << "LISTEN_PORT"
                                              << "abc"
                                              << "UDP.LISTEN_PORT: abc is not a port (1-65535)"
                                              << "5000";
    QTest::newRow("a netmask with a byte above 255")
        << QStringList{"Lobby", "NETWORK"} << "NETMASK"
        << "300.1.2.3"
        << "NETWORK.NETMASK: 300.1.2.3 is not a netmask (contiguous ones, as 255.255.255.0)"
        << "255.255.255.0";
    QTest::newRow("a latitude of 200")
        << QStringList{"Lobby", "DAYTIME"} << "LATITUDE"
        << "200"
        << "DAYTIME.LATITUDE: 200 is not a latitude (-90 to 90, at most 6 decimals)"
        << "52.37";
}

void TestUbrixVorelUbrix::refusedValueIsPutBackAndNotSent() {
    QFETCH(QStringList, page);
    QFETCH(QString, row);
    QFETCH(QString, value);
    QFETCH(QString, refusal);
    QFETCH(QString, planValue);

    CGuiHarness harness;
    CUdpPeer lobby;
    QVERIFY(lobby.bind(CGuiHarness::loopback(5), kSendPort));
    harness.fixture().receive(kSite);
    harness.fixture().receive({CGuiHarness::line("127.0.0.5", "!UDP.LISTEN_PORT=5000;"),
                               CGuiHarness::line("127.0.0.5", "!NETWORK.NETMASK=255.255.255.0;"),
                               CGuiHarness::line("127.0.0.5", "!DAYTIME.LATITUDE=52.37;")});
    auto view = openView(harness);
    view->OnNMClickTree2(itemAt(*view, page));
    const int found = propertylist::rowLabelled(viewcontrols::properties(*view), row);
    QVERIFY(found >= 0);
    CDialogService::setNextAnswer(QMessageBox::Ok);

    propertylist::enter(viewcontrols::properties(*view), found, value);

    QCOMPARE(CDialogService::askedTexts(), QStringList{refusal});
    QCOMPARE(harness.state().status.text(), QStringLiteral("Nothing sent: ") + refusal);
    QCOMPARE(viewcontrols::properties(*view).cellText(found, 1), planValue);
    QVERIFY(!viewcontrols::properties(*view).isModified(found));
    QVERIFY(!lobby.receive(kQuietMs).has_value());
}

void TestUbrixVorelUbrix::listFollowsTheReplies() {
    CGuiHarness harness;
    CUdpPeer lobby;
    QVERIFY(lobby.bind(CGuiHarness::loopback(5), kSendPort));
    harness.fixture().receive(kSite);
    auto view = openView(harness);
    view->OnNMClickTree2(itemAt(*view, {"Lobby"}));
    auto* list = &viewcontrols::properties(*view);
    const int name = propertylist::rowLabelled(*list, QStringLiteral("NAME"));
    propertylist::enter(*list, name, QStringLiteral("Hall"));
    QCOMPARE(lobby.receive(kQuietMs * 10)->bytes, QByteArray("&NAME=Hall;"));
    QCOMPARE(harness.state().status.text(),
             QStringLiteral("Sent &NAME=Hall; to Lobby (127.0.0.5)."));
    // The gateway takes another name than the one sent: the list and the tree follow it, and
    // the selection stays on the gateway.
    harness.fixture().receive({CGuiHarness::line("127.0.0.5", "!NAME=Foyer;")});
    QCOMPARE(list->cellText(name, 1), QStringLiteral("Foyer"));
    QVERIFY(itemAt(*view, {"Foyer"}).isValid());
    QCOMPARE(viewcontrols::tree(*view).currentIndex(), itemAt(*view, {"Foyer"}));
    // A refused edit goes back to what the plan holds now, not to the value sent before.
    CDialogService::setNextAnswer(QMessageBox::Ok);
    propertylist::enter(*list, name, QStringLiteral("a;b"));
    QCOMPARE(list->cellText(name, 1), QStringLiteral("Foyer"));
    QVERIFY(!lobby.receive(kQuietMs).has_value());
}

void TestUbrixVorelUbrix::failedSendPutsTheValueBack() {
    CGuiHarness harness;
    harness.fixture().receive(kSite);
    auto view = openView(harness);
    view->OnNMClickTree2(itemAt(*view, {"Attic"}));
    breakSends(harness);
    const int name =
        propertylist::rowLabelled(viewcontrols::properties(*view), QStringLiteral("NAME"));

    propertylist::enter(viewcontrols::properties(*view), name, QStringLiteral("Hall"));

    QCOMPARE(harness.fixture().notifier().messages().size(), 1);
    QCOMPARE(viewcontrols::properties(*view).cellText(name, 1), QStringLiteral("Attic"));
}

void TestUbrixVorelUbrix::restart_data() {
    QTest::addColumn<QStringList>("selection");  // empty: none; {""}: the root
    QTest::addColumn<int>("restarted");          // the gateway's last address byte; 0: none
    QTest::addColumn<int>("answer");             // to the question first; 0: none asked
    QTest::addColumn<QString>("said");           // in the status bar

    const int yes = QMessageBox::Yes;
    QTest::newRow("nothing selected")
        << QStringList() << 0 << 0 << "Restart: nothing sent, no gateway is selected.";
    QTest::newRow("the root") << QStringList{""} << 0 << 0
                              << "Restart: nothing sent, select a gateway rather than the root.";
    QTest::newRow("a gateway") << QStringList{"Attic"} << 6 << yes
                               << "Restart sent to Attic (127.0.0.6).";
    QTest::newRow("a gateway, and the user says No")
        << QStringList{"Attic"} << 0 << int(QMessageBox::No)
        << "Restart: nothing sent, Attic (127.0.0.6) keeps running.";
    QTest::newRow("a section restarts its gateway")
        << QStringList{"Lobby", "NETWORK"} << 5 << yes << "Restart sent to Lobby (127.0.0.5).";
    QTest::newRow("a subsection too") << QStringList{"Lobby", "PORT (A)", "SERIAL"} << 5 << yes
                                      << "Restart sent to Lobby (127.0.0.5).";
}

void TestUbrixVorelUbrix::restart() {
    QFETCH(QStringList, selection);
    QFETCH(int, restarted);
    QFETCH(int, answer);
    QFETCH(QString, said);

    CGuiHarness harness;
    CUdpPeer lobby;
    CUdpPeer attic;
    QVERIFY(lobby.bind(CGuiHarness::loopback(5), kSendPort));
    QVERIFY(attic.bind(CGuiHarness::loopback(6), kSendPort));
    harness.fixture().receive(kSite);
    auto view = openView(harness);
    const QStringList before = describe(*view);
    if (selection == QStringList{""}) {
        viewcontrols::tree(*view).setCurrentIndex(itemAt(*view, {}));
    } else if (!selection.isEmpty()) {
        viewcontrols::tree(*view).setCurrentIndex(itemAt(*view, selection));
    }

    if (answer != 0) {
        CDialogService::setNextAnswer(static_cast<QMessageBox::StandardButton>(answer));
    }

    QTest::mouseClick(namedChild<QPushButton>(*view, "restart"), Qt::LeftButton);

    QCOMPARE(harness.state().status.text(), said);
    if (answer != 0) {
        const CDialogService::MessageRequest asked = CDialogService::askedMessages().first();
        QCOMPARE(asked.text, QString::fromLatin1(CUbrixVorelUbrix::kConfirmRestart)
                                 .arg(selection.first() == "Attic" ? "Attic (127.0.0.6)"
                                                                   : "Lobby (127.0.0.5)"));
        QCOMPARE(asked.defaultButton, QMessageBox::No);
    }
    CUdpPeer* gateway = restarted == 5 ? &lobby : &attic;
    CUdpPeer* other = restarted == 5 ? &attic : &lobby;
    if (restarted == 0) {
        QVERIFY(!lobby.receive(kQuietMs).has_value());
        QVERIFY(!attic.receive(kQuietMs).has_value());
        QCOMPARE(describe(*view), before);
        return;
    }
    const auto sent = gateway->receive(kQuietMs * 10);
    QVERIFY(sent.has_value());
    QCOMPARE(sent->bytes, QByteArray("&VERSION_HW=RESET;"));
    QVERIFY(!other->receive(kQuietMs).has_value());
    const QByteArray ip = "127.0.0." + QByteArray::number(restarted);
    QCOMPARE(CDocFixture::compact(harness.doc().plan().find_node([&ip](const pugi::xml_node& node) {
                 return QByteArray(node.name()) == "UBRIX" && ip == node.attribute("IP").value();
             })),
             "<UBRIX IP=\"" + ip + "\"/>");
    QCOMPARE(gatewayLabels(*view).size(), 1);
}

void TestUbrixVorelUbrix::failedRestartKeepsTheGateway() {
    CGuiHarness harness;
    harness.fixture().receive(kSite);
    auto view = openView(harness);
    const QByteArray plan = harness.fixture().planText();
    viewcontrols::tree(*view).setCurrentIndex(itemAt(*view, {"Attic"}));
    breakSends(harness);
    CDialogService::setNextAnswer(QMessageBox::Yes);

    view->OnUbrixReset();

    QCOMPARE(harness.fixture().notifier().messages().size(), 1);
    QCOMPARE(harness.fixture().planText(), plan);
    QVERIFY(itemAt(*view, {"Attic"}).isValid());
}

void TestUbrixVorelUbrix::restartedGatewayIsAskedUntilBack_data() {
    QTest::addColumn<int>("answeredQuestion");  // 0: never
    QTest::newRow("back at the first question") << 1;
    QTest::newRow("never back") << 0;
}

void TestUbrixVorelUbrix::restartedGatewayIsAskedUntilBack() {
    QFETCH(int, answeredQuestion);

    CGuiHarness harness;
    CUdpPeer attic;
    QVERIFY(attic.bind(CGuiHarness::loopback(6), kSendPort));
    harness.fixture().receive(kSite);
    auto view = openView(harness);
    viewcontrols::tree(*view).setCurrentIndex(itemAt(*view, {"Attic"}));
    CDialogService::setNextAnswer(QMessageBox::Yes);
    view->OnUbrixReset();
    QCOMPARE(attic.receive(kQuietMs * 10)->bytes, QByteArray("&VERSION_HW=RESET;"));
    // The user moves on; the questions go on without the view.
    view.reset();
    // A first pause lets the gateway go down; then a question after every pause.
    QVERIFY(!attic.receive(kQuietMs).has_value());
    int questions = 0;
    for (int pause = 0; pause < CGatewayReturn::kAttempts + 2; ++pause) {
        harness.timers().advance(CGatewayReturn::kPause);
        if (const auto question = attic.receive(kQuietMs)) {
            QCOMPARE(question->bytes, QByteArray("&NAME=?;"));
            ++questions;
            if (questions == answeredQuestion) {
                harness.fixture().receive({CGuiHarness::line("127.0.0.6", "!NAME=Attic;")});
            }
        }
    }
    if (answeredQuestion != 0) {
        QCOMPARE(questions, answeredQuestion);
        QCOMPARE(harness.state().status.text(), QStringLiteral("Attic (127.0.0.6) is back."));
        // Back in the tree by itself.
        view = openView(harness);
        QVERIFY(itemAt(*view, {"Attic"}).isValid());
    } else {
        QCOMPARE(questions, CGatewayReturn::kAttempts);
        QCOMPARE(harness.state().status.text(),
                 QStringLiteral("Attic (127.0.0.6) did not come back within 60 s."));
    }
}

void TestUbrixVorelUbrix::refreshAsksAfterThePauseWithoutBlocking_data() {
    QTest::addColumn<bool>("receiving");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("our own broadcast comes back") << true << QStringList();
    QTest::newRow("blocked") << false
                             << QStringList{QString::fromLatin1(CBroadcastQuery::kFirewallBlocked)};
}

void TestUbrixVorelUbrix::refreshAsksAfterThePauseWithoutBlocking() {
    QFETCH(bool, receiving);
    QFETCH(QStringList, messages);

    CGuiHarness harness;
    CUdpPeer gateways;
    QVERIFY(gateways.bind(CIpv4Address::kAny, kSendPort));
    harness.fixture().receive(kSite);
    harness.doc().addGatewayToNetwork("127.0.0.5");
    harness.doc().NetAddDevice("127.0.0.5", "4", "UID");
    if (receiving) {
        harness.transport().StartTransport();
        QTRY_VERIFY(harness.transport().listener() != nullptr);
    }
    auto view = openView(harness);
    if (!messages.isEmpty()) {
        CDialogService::setNextAnswer(QMessageBox::Ok);
    }

    QTest::mouseClick(namedChild<QPushButton>(*view, "ubrixs"), Qt::LeftButton);

    // The click came back at once: the plan's gateways and their buses are gone, the tree
    // is the new root, and the query waits for its pause on the timer.
    QCOMPARE(harness.fixture().planText(),
             QByteArray("<Plan><Device_Configuration/><Network_Configuration/></Plan>"));
    QCOMPARE(describe(*view), QStringList{"KV network 0*"});
    QVERIFY(!gateways.receive(kQuietMs).has_value());
    if (receiving) {
        QTRY_VERIFY(!harness.doc().firewallSuspect().load());
    }
    harness.timers().advance(1000ms);
    const auto query = gateways.receive(kQuietMs * 10);
    QVERIFY(query.has_value());
    QCOMPARE(query->bytes, QByteArray("&=?;"));
    harness.timers().advance(3000ms);
    QCOMPARE(CDialogService::askedTexts(), messages);
    harness.timers().advance(10000ms);
    QCOMPARE(CDialogService::askedTexts(), messages);
    harness.transport().StopReceiver();
}

void TestUbrixVorelUbrix::refreshOutlivesTheView() {
    CGuiHarness harness;
    CUdpPeer gateways;
    QVERIFY(gateways.bind(CIpv4Address::kAny, kSendPort));
    auto view = openView(harness);
    // Refresh from the tree's pop-up menu.
    emit viewcontrols::tree(*view).customContextMenuRequested(QPoint(5, 5));
    QVERIFY(viewcontrols::popup(*view) != nullptr);
    QCOMPARE(viewcontrols::popup(*view)->actions().size(), 1);
    QAction* refresh = viewcontrols::popup(*view)->actions().front();
    QCOMPARE(refresh->text(), QStringLiteral("Refresh"));
    QCOMPARE(refresh->data().toInt(), int(vorel::cmd::kUbrixRefresh));
    refresh->trigger();
    QCOMPARE(itemAt(*view, {}).data().toString(), QStringLiteral("KV network"));
    // The user switches views within the pause: the query still goes, and no message comes
    // from a view that is gone.
    view.reset();
    harness.timers().advance(5000ms);
    const auto query = gateways.receive(kQuietMs * 10);
    QVERIFY(query.has_value());
    QCOMPARE(query->bytes, QByteArray("&=?;"));
    QVERIFY(CDialogService::askedTexts().isEmpty());
}

void TestUbrixVorelUbrix::quoteInTypeListsGreyRows() {
    CGuiHarness harness;
    harness.fixture().receive({CGuiHarness::line("127.0.0.8", "!TYPE=a'b;"),
                               CGuiHarness::line("127.0.0.8", "!NAME=Odd;")});
    auto view = openView(harness);
    view->OnNMClickTree2(itemAt(*view, {"Odd"}));
    QCOMPARE(viewcontrols::properties(*view).rowCount(), 2);
    QCOMPARE(viewcontrols::properties(*view).row(0).textRgb, CPropertyRow::kGrey);
    QCOMPARE(harness.fixture().errorLogText(), QByteArray());
}

QTEST_MAIN(TestUbrixVorelUbrix)
#include "TestUbrixVorelUbrix.moc"
