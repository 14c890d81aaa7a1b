#include "CGuiHarness.h"
#include "CPropertyListDriver.h"
#include "CTreeDriver.h"
#include "CViewControls.h"
#include "core/bus/CBusActions.h"
#include "core/bus/CBusCollection.h"
#include "core/bus/CPresetFile.h"
#include "gui/base/CDialogService.h"
#include "gui/base/CPopupMenus.h"
#include "gui/base/CommandIds.h"
#include "gui/controls/CPropertyList.h"
#include "gui/views/CUbrixVorelTMap.h"
#include "support/CTestLan.h"
#include "support/CUdpPeer.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <memory>

using namespace std::chrono_literals;

namespace {

constexpr int kSendPort = 5000;
constexpr int kQuietMs = 300;

// Two gateways on loopback addresses of the test's own namespace. Behind Hall (.5): an LED
// controller UID 5 named lamp with a port A, a motor controller UID 6 whose port B is
// Blind, UID 7 of no known type yet, a NEBIL_A (UID 9), and SN 812 beside UID 812.
const QList<QByteArray> kSite{
    CGuiHarness::line("127.0.0.5", "!NAME=Hall;"),
    CGuiHarness::line("127.0.0.5", "!UID5.TYPE=LUMET_CC;"),
    CGuiHarness::line("127.0.0.5", "!UID5.ALIAS=lamp;"),
    CGuiHarness::line("127.0.0.5", "!UID5.LED.DISSOLVE=10;"),
    CGuiHarness::line("127.0.0.5", "!UID5.A.LED.DISSOLVE=10;"),
    CGuiHarness::line("127.0.0.5", "!UID5.A.IR.MODE=DISABLE;"),
    CGuiHarness::line("127.0.0.5", "!UID6.TYPE=MOTRA_AC;"),
    CGuiHarness::line("127.0.0.5", "!UID6.B.ALIAS=Blind;"),
    CGuiHarness::line("127.0.0.5", "!UID6.B.MOTOR.MODE=FRONT;"),
    CGuiHarness::line("127.0.0.5", "+UID7;"),
    CGuiHarness::line("127.0.0.5", "!UID9.TYPE=NEBIL_A;"),
    CGuiHarness::line("127.0.0.5", "+SN812;"),
    CGuiHarness::line("127.0.0.5", "!UID812.TYPE=LUMET_AC;"),
    CGuiHarness::line("127.0.0.6", "!UID20.TYPE=LUMET_AC;"),
    CGuiHarness::line("127.0.0.6", "+SN900;"),
};

const CAdapterCandidate kGoneAdapter{QStringLiteral("gone"),
                                     CAdapterCandidate::Kind::Ethernet,
                                     true,
                                     9,
                                     {CIpv4Address::fromDotted("10.250.250.250")}};

// The tree in one line per item, indented by depth: label and kind.
QStringList describe(const CBusTreeItem* item, int depth = 0) {
    QStringList lines{QString(depth * 2, QLatin1Char(' ')) + item->label + " " +
                      QString::number(item->kind)};
    for (int row = 0; row < item->childCount(); ++row) {
        lines += describe(item->child(row), depth + 1);
    }
    return lines;
}

// The view's controls, by the names the view gives them.
QLineEdit* uidFieldOf(const CUbrixVorelTMap& view) {
    return namedChild<QLineEdit>(view, "uid");
}

QPushButton* button(const CUbrixVorelTMap& view, const char* name) {
    return namedChild<QPushButton>(view, name);
}

QProgressBar* progressOf(const CUbrixVorelTMap& view) {
    return namedChild<QProgressBar>(view, "progress");
}

bool shows(const CUbrixVorelTMap& view, const QStringList& labels) {
    return treeview::at(viewcontrols::tree(view), labels).isValid();
}

// The item at the path of labels (the root for none) becomes the tree's selection, as the
// keyboard makes it, without a click's listing.
void selectItem(const CUbrixVorelTMap& view, const QStringList& labels) {
    viewcontrols::tree(view).setCurrentIndex(treeview::at(viewcontrols::tree(view), labels));
}

std::unique_ptr<CUbrixVorelTMap> openView(CGuiHarness& harness) {
    auto view = std::make_unique<CUbrixVorelTMap>(harness.context());
    QObject::connect(&harness.doc(), &CUbrixVorelDoc::updateAllViews, view.get(),
                     &CUbrixVorelTMap::OnUpdate);
    view->OnInitialUpdate();
    view->resize(800, 400);
    view->show();
    view->treeSync().syncNow();
    return view;
}

// The site in the view, item selected and the answer given to the question that follows.
std::unique_ptr<CUbrixVorelTMap> openSite(CGuiHarness& harness, const QStringList& item,
                                          int answer) {
    harness.fixture().receive(kSite);
    auto view = openView(harness);
    if (!item.isEmpty()) {
        selectItem(*view, item);
    }
    if (answer != 0) {
        CDialogService::setNextAnswer(static_cast<QMessageBox::StandardButton>(answer));
    }
    return view;
}

void click(CUbrixVorelTMap& view, const QStringList& labels) {
    const QModelIndex item = treeview::at(viewcontrols::tree(view), labels);
    QVERIFY2(item.isValid(), qPrintable(labels.join(u'/')));
    view.OnNMClickTree3(item);
}

QByteArray planText(CGuiHarness& harness) {
    return harness.fixture().planText();
}

}  // namespace

class TestUbrixVorelTMap : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { CDialogService::enableTestHook(); }
    void cleanup() { CDialogService::disableTestHook(); }

    void treeFollowsThePlan();
    void commit_data();
    void commit();
    void typedValueRefused();
    void uidField();
    void clickOnUntypedDevice();
    void addressing_data();
    void addressing();
    void identify_data();
    void identify();
    void deleteAndRefresh_data();
    void deleteAndRefresh();
    void collectionOnTheTestClock();
    void collectionOutlivesTheView();
    void failedSendEndsTheCollection();
    void presets_data();
    void presets();
    void updater();
    void replaceDevice();
};

// The test's sockets bind the program's fixed ports: a namespace of its own keeps them from
// meeting those of the test programs running beside it.
void TestUbrixVorelTMap::initTestCase() {
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
}

void TestUbrixVorelTMap::treeFollowsThePlan() {
    CGuiHarness harness;
    auto view = openView(harness);
    QCOMPARE(describe(view->model().root()), QStringList{"KV network 0"});
    harness.fixture().receive(kSite);
    QTRY_COMPARE(
        describe(view->model().root()),
        (QStringList{"KV network 0", "  Hall 1", "    lamp 6", "      LED 10", "      PORT (A) 29",
                     "        LED 10", "        IR 9", "    UID 6  4", "      PORT (B) Blind 28",
                     "        MOTOR 13", "    UID 7  2", "    UID 9  0", "    SN 812  2",
                     "    UID 812  6", "  127.0.0.6 1", "    UID 20  6", "    SN 900  2"}));
    QVERIFY(viewcontrols::tree(*view).isExpanded(viewcontrols::tree(*view).model()->index(0, 0)));
    const QModelIndex hall = viewcontrols::tree(*view).model()->index(
        0, 0, viewcontrols::tree(*view).model()->index(0, 0));
    QVERIFY(viewcontrols::tree(*view).isExpanded(hall));
    QVERIFY(!hall.data(Qt::DecorationRole).value<QIcon>().isNull());

    // A map file replaces the plan (hint 16): the tree is the new plan's.
    click(*view, {"Hall", "lamp"});
    QCOMPARE(viewcontrols::properties(*view).valueHeader(), QStringLiteral("UID: 5"));
    QVERIFY(viewcontrols::properties(*view).rowCount() > 0);
    const QString map = harness.fixture().path(QStringLiteral("map.xml"));
    QFile file(map);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        "<?xml version=\"1.0\"?><Plan><Device_Configuration/><Network_Configuration>"
        "<UBRIX IP=\"10.1.1.1\"><DEVICE UID=\"3\"/></UBRIX></Network_Configuration></Plan>");
    file.close();
    harness.doc().loadMapFile(map);
    QCOMPARE(viewcontrols::properties(*view).rowCount(), 0);
    QCOMPARE(viewcontrols::properties(*view).valueHeader(), QString());
    QTRY_COMPARE(describe(view->model().root()),
                 (QStringList{"KV network 0", "  10.1.1.1 1", "    UID 3  2"}));
}

void TestUbrixVorelTMap::commit_data() {
    QTest::addColumn<QStringList>("item");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("sent");

    QTest::newRow("the device") << QStringList{"Hall", "lamp"} << "ALIAS"
                                << "desk" << QByteArray("#UID5.ALIAS=DESK;");
    QTest::newRow("a section") << QStringList{"Hall", "lamp", "LED"} << "DISSOLVE"
                               << "20" << QByteArray("#UID5.LED.DISSOLVE=20;");
    QTest::newRow("a section under a port")
        << QStringList{"Hall", "lamp", "PORT (A)", "LED"} << "DISSOLVE"
        << "20" << QByteArray("#UID5.A.LED.DISSOLVE=20;");
    QTest::newRow("a motor controller's port")
        << QStringList{"Hall", "UID 6 ", "PORT (B) Blind"} << "ALIAS"
        << "desk" << QByteArray("#UID6.B.ALIAS=DESK;");
    QTest::newRow("IR under a port keeps the port")
        << QStringList{"Hall", "lamp", "PORT (A)", "IR"} << "MODE"
        << "ENABLE" << QByteArray("#UID5.A.IR.MODE=ENABLE;");
}

void TestUbrixVorelTMap::commit() {
    QFETCH(QStringList, item);
    QFETCH(QString, row);
    QFETCH(QString, value);
    QFETCH(QByteArray, sent);

    CGuiHarness harness;
    CUdpPeer hall;
    QVERIFY(hall.bind(CGuiHarness::loopback(5), kSendPort));
    auto view = openSite(harness, {}, 0);
    click(*view, item);
    QCOMPARE(viewcontrols::properties(*view).valueHeader(),
             QString::fromLatin1(item.size() > 1 && item[1] == "UID 6 " ? "UID: 6" : "UID: 5"));
    // The selection moves on without a click: the value still goes to the page shown.
    selectItem(*view, {"127.0.0.6", "UID 20 "});
    CPropertyList& list = viewcontrols::properties(*view);
    const int found = propertylist::rowLabelled(list, row);
    QVERIFY(found >= 0);
    const QString planValue = list.cellText(found, 1);

    propertylist::enter(list, found, value);

    const auto datagram = hall.receive(kQuietMs * 10);
    QVERIFY(datagram.has_value());
    QCOMPARE(datagram->bytes, sent);
    QCOMPARE(list.cellText(found, 1), value.toUpper());
    QCOMPARE(harness.state().status.text(),
             QStringLiteral("Sent %1 to UID %2 behind Hall (127.0.0.5).")
                 .arg(QString::fromLatin1(sent), item[1] == "UID 6 " ? "6" : "5"));
    // Nothing changed in the plan before the echo.
    QVERIFY(!planText(harness).contains(value.toUpper().toLatin1() + "<"));

    // A refused value is not sent, and the cell goes back to what the plan holds (the
    // device did not echo the value sent); so does one whose send failed.
    if (list.row(found).editor == CPropertyRow::Editor::Text) {
        CDialogService::setNextAnswer(QMessageBox::Ok);
        propertylist::enter(list, found, QStringLiteral("a;b"));
        QCOMPARE(list.cellText(found, 1), planValue);
        QVERIFY(!hall.receive(kQuietMs).has_value());
        QVERIFY(harness.state().status.text().startsWith("Nothing sent: "));
        harness.transport().setAdapters(CAdapterTable::fromCandidates({kGoneAdapter}));
        propertylist::enter(list, found, QStringLiteral("12"));
        QCOMPARE(list.cellText(found, 1), planValue);
        QCOMPARE(harness.fixture().notifier().messages().size(), 1);
    }
}

void TestUbrixVorelTMap::typedValueRefused() {
    CGuiHarness harness;
    CUdpPeer hall;
    QVERIFY(hall.bind(CGuiHarness::loopback(5), kSendPort));
    harness.fixture().receive(kSite);
    // A level the device reports out of its range is shown as it came, and marked.
    harness.fixture().receive({CGuiHarness::line("127.0.0.5", "!UID5.LED.LEVEL_MAX=999;")});
    auto view = openView(harness);
    click(*view, {"Hall", "lamp", "LED"});
    CPropertyList& list = viewcontrols::properties(*view);
    const int level = propertylist::rowLabelled(list, QStringLiteral("LEVEL_MAX"));
    QVERIFY(level >= 0);
    QCOMPARE(list.cellText(level, 1), QStringLiteral("999"));
    QCOMPARE(list.row(level).backgroundRgb, CPropertyRow::kInvalidBackground);
    QCOMPARE(list.model()->index(level, 1).data(Qt::ToolTipRole).toString(),
             QStringLiteral("Invalid value, as reported: 999 is not a whole number (0-255)"));

    const int dissolve = propertylist::rowLabelled(list, QStringLiteral("DISSOLVE"));
    const QString refusal = QStringLiteral("LED.DISSOLVE: 999 is not a whole number (0-255)");
    CDialogService::setNextAnswer(QMessageBox::Ok);
    propertylist::enter(list, dissolve, QStringLiteral("999"));
    QCOMPARE(CDialogService::askedTexts(), QStringList{refusal});
    QCOMPARE(list.cellText(dissolve, 1), QStringLiteral("10"));
    QCOMPARE(harness.state().status.text(), QStringLiteral("Nothing sent: ") + refusal);
    QVERIFY(!hall.receive(kQuietMs).has_value());
    QCOMPARE(list.row(level).backgroundRgb, CPropertyRow::kInvalidBackground);
}

void TestUbrixVorelTMap::uidField() {
    CGuiHarness harness;
    CUdpPeer hall;
    QVERIFY(hall.bind(CGuiHarness::loopback(5), kSendPort));
    harness.fixture().receive(kSite);
    harness.fixture().receive({CGuiHarness::line("127.0.0.5", "+UID1;"),
                               CGuiHarness::line("127.0.0.5", "+UID2;"),
                               CGuiHarness::line("127.0.0.6", "+UID3;")});
    auto view = openView(harness);
    // The field proposes the lowest UID that no device behind the item's gateway has.
    click(*view, {"Hall"});
    QCOMPARE(uidFieldOf(*view)->text(), QStringLiteral("3"));
    click(*view, {"127.0.0.6"});
    QCOMPARE(uidFieldOf(*view)->text(), QStringLiteral("1"));
    // Enter in the field presses Set.
    click(*view, {"Hall", "SN 812 "});
    uidFieldOf(*view)->setText(QStringLiteral("70"));
    QTest::keyClick(uidFieldOf(*view), Qt::Key_Return);
    const auto datagram = hall.receive(kQuietMs * 10);
    QVERIFY(datagram.has_value());
    QCOMPARE(datagram->bytes, QByteArray("#SN812.UID=70;"));
    // Answered under its new UID, the device is the selection and is asked for its settings,
    // which its list then shows.
    harness.fixture().receive({CGuiHarness::line("127.0.0.5", "+UID70;")});
    QTRY_COMPARE(treeview::selected(viewcontrols::tree(*view)), QStringLiteral("Hall/UID 70 "));
    const auto query = hall.receive(kQuietMs * 10);
    QVERIFY(query.has_value());
    QCOMPARE(query->bytes, QByteArray("#UID70=?;"));
    harness.fixture().receive({CGuiHarness::line("127.0.0.5", "!UID70.TYPE=LUMET_AC;"),
                               CGuiHarness::line("127.0.0.5", "!UID70.ALIAS=Desk;")});
    view->treeSync().syncNow();
    QTRY_VERIFY(viewcontrols::properties(*view).rowCount() > 0);
    QCOMPARE(viewcontrols::properties(*view).valueHeader(), QStringLiteral("UID: 70"));
}

void TestUbrixVorelTMap::clickOnUntypedDevice() {
    CGuiHarness harness;
    CUdpPeer hall;
    QVERIFY(hall.bind(CGuiHarness::loopback(5), kSendPort));
    auto view = openSite(harness, {}, 0);
    click(*view, {"Hall", "UID 7 "});
    const auto query = hall.receive(kQuietMs * 10);
    QVERIFY(query.has_value());
    QCOMPARE(query->bytes, QByteArray("#UID7=?;"));
    QCOMPARE(viewcontrols::properties(*view).rowCount(), 0);
    // A device known by its serial number has nothing to say yet; a gateway only its address.
    click(*view, {"Hall", "SN 812 "});
    click(*view, {"Hall"});
    QCOMPARE(viewcontrols::properties(*view).valueHeader(), QStringLiteral("IP : 127.0.0.5"));
    QVERIFY(!hall.receive(kQuietMs).has_value());
    // The NEBIL_A lists like any typed device.
    click(*view, {"Hall", "UID 9 "});
    QCOMPARE(viewcontrols::properties(*view).rowCount(), 1);
    QCOMPARE(harness.fixture().errorLogText(), QByteArray());
}

void TestUbrixVorelTMap::addressing_data() {
    QTest::addColumn<QStringList>("item");  // empty: no selection
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("answer");  // to the duplicate question; 0: none asked
    QTest::addColumn<bool>("sendFails");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("fieldAfter");
    QTest::addColumn<bool>("serialGone");
    // The selection once the device answered under its new UID.
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("said");  // in the status bar

    const QStringList none;
    const QString press = QString::fromLatin1(CBusActions::kPressDiscovery);
    const QString duplicate =
        QString::fromLatin1(CBusActions::kConfirmDuplicateUid).arg(5).arg("127.0.0.5");
    QTest::newRow("zero") << QStringList{"Hall"} << "0" << 0 << false << QByteArray() << none << "0"
                          << false << "Hall"
                          << "Set: nothing sent, \"0\" is not a UID (a number from 1 to 65535).";
    QTest::newRow("letters")
        << QStringList{"Hall"} << "ab" << 0 << false << QByteArray() << none << "ab" << false
        << "Hall"
        << "Set: nothing sent, \"ab\" is not a UID (a number from 1 to 65535).";
    QTest::newRow("nothing selected")
        << QStringList() << "7" << 0 << false << QByteArray()
        << QStringList{QString::fromLatin1(CBusActions::kSelectFirst)} << "7" << false << "-"
        << "Set: nothing sent, nothing is selected.";
    QTest::newRow("a gateway arms its bus")
        << QStringList{"Hall"} << "70" << 0 << false << QByteArray("#UID=70;") << QStringList{press}
        << "70" << false << "Hall"
        << "Set: sent #UID=70; to Hall (127.0.0.5).";
    QTest::newRow("a serial number takes its UID")
        << QStringList{"Hall", "SN 812 "} << "70" << 0 << false << QByteArray("#SN812.UID=70;")
        << none << "1" << true << "Hall/UID 70 "
        << "Set: sent #SN812.UID=70; to Hall (127.0.0.5).";
    QTest::newRow("a UID the bus already has is asked about")
        << QStringList{"Hall", "SN 812 "} << "5" << int(QMessageBox::No) << false << QByteArray()
        << QStringList{duplicate} << "5" << false << "Hall/SN 812 "
        << "Set: nothing sent, UID 5 is taken behind Hall (127.0.0.5).";
    QTest::newRow("and given when the user says so")
        << QStringList{"Hall", "SN 812 "} << "5" << int(QMessageBox::Yes) << false
        << QByteArray("#SN812.UID=5;") << QStringList{duplicate} << "1" << true << "Hall/lamp"
        << "Set: sent #SN812.UID=5; to Hall (127.0.0.5).";
    QTest::newRow("a failed send changes nothing")
        << QStringList{"Hall", "SN 812 "} << "70" << 0 << true << QByteArray() << none << "70"
        << false << "Hall/SN 812 "
        << "Set: #SN812.UID=70; could not be sent to Hall (127.0.0.5).";
    QTest::newRow("a section of a device")
        << QStringList{"Hall", "lamp", "LED"} << "7" << 0 << false << QByteArray() << none << "7"
        << false << "Hall/lamp/LED"
        << "Set: nothing sent, UID 5 behind Hall (127.0.0.5) is addressed already: select a "
           "gateway or a device known by its serial number.";
}

void TestUbrixVorelTMap::addressing() {
    QFETCH(QStringList, item);
    QFETCH(QString, field);
    QFETCH(int, answer);
    QFETCH(bool, sendFails);
    QFETCH(QByteArray, sent);
    QFETCH(QStringList, messages);
    QFETCH(QString, fieldAfter);
    QFETCH(bool, serialGone);
    QFETCH(QString, selected);

    CGuiHarness harness;
    CUdpPeer hall;
    QVERIFY(hall.bind(CGuiHarness::loopback(5), kSendPort));
    auto view = openSite(harness, item, answer);
    for (qsizetype i = answer != 0 ? 1 : 0; i < messages.size(); ++i) {
        CDialogService::setNextAnswer(QMessageBox::Ok);
    }
    if (sendFails) {
        harness.transport().setAdapters(CAdapterTable::fromCandidates({kGoneAdapter}));
    }
    uidFieldOf(*view)->setText(field);

    QTest::mouseClick(button(*view, "set"), Qt::LeftButton);
    QFETCH(QString, said);
    QCOMPARE(harness.state().status.text(), said);
    // A UID given twice is never the default: Enter answers No.
    if (answer != 0) {
        QCOMPARE(CDialogService::askedMessages().first().defaultButton, QMessageBox::No);
    }

    const auto datagram = hall.receive(sent.isEmpty() ? kQuietMs : kQuietMs * 10);
    QCOMPARE(datagram ? datagram->bytes : QByteArray(), sent);
    QCOMPARE(CDialogService::askedTexts(), messages);
    QCOMPARE(uidFieldOf(*view)->text(), fieldAfter);
    QCOMPARE(!shows(*view, {"Hall", "SN 812 "}), serialGone);
    QCOMPARE(planText(harness).contains("SN=\"812\""), !serialGone);
    // The device of UID 812 is another device: it stays whatever happened to SN 812.
    QVERIFY(shows(*view, {"Hall", "UID 812 "}));
    QVERIFY(planText(harness).contains("UID=\"812\""));

    // The device announces itself under its new UID (and nothing under its serial number):
    // it is the selection, not the item that stood above it.
    if (sent.startsWith("#SN")) {
        const QByteArray announcement = "+UID" + field.toLatin1() + ";";
        harness.fixture().receive({CGuiHarness::line("127.0.0.5", announcement.constData())});
    }
    QTRY_COMPARE(treeview::selected(viewcontrols::tree(*view)), selected);
}

void TestUbrixVorelTMap::identify_data() {
    QTest::addColumn<QStringList>("item");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("said");  // in the status bar

    const QString toHall = QStringLiteral("Identify: sent %1 to Hall (127.0.0.5).");
    QTest::newRow("a gateway, without semicolon")
        << QStringList{"Hall"} << QByteArray("&=IDENTIFY") << toHall.arg("&=IDENTIFY");
    QTest::newRow("a serial number")
        << QStringList{"Hall", "SN 812 "} << QByteArray("#SN812=IDENTIFY;")
        << toHall.arg("#SN812=IDENTIFY;");
    QTest::newRow("a section of UID 5")
        << QStringList{"Hall", "lamp", "PORT (A)", "IR"} << QByteArray("#UID5=IDENTIFY;")
        << toHall.arg("#UID5=IDENTIFY;");
    QTest::newRow("a device of a family no keyword names")
        << QStringList{"Hall", "UID 9 "} << QByteArray("#UID9=IDENTIFY;")
        << toHall.arg("#UID9=IDENTIFY;");
    QTest::newRow("the root") << QStringList{} << QByteArray()
                              << "Identify: nothing sent, the root is selected: select a gateway "
                                 "or a device.";
}

void TestUbrixVorelTMap::identify() {
    QFETCH(QStringList, item);
    QFETCH(QByteArray, sent);

    CGuiHarness harness;
    CUdpPeer hall;
    QVERIFY(hall.bind(CGuiHarness::loopback(5), kSendPort));
    auto view = openSite(harness, {}, 0);
    selectItem(*view, item);
    view->OnCommand(vorel::cmd::kTmapIdentify);
    const auto datagram = hall.receive(sent.isEmpty() ? kQuietMs : kQuietMs * 10);
    QCOMPARE(datagram ? datagram->bytes : QByteArray(), sent);
    QFETCH(QString, said);
    QCOMPARE(harness.state().status.text(), said);
}

void TestUbrixVorelTMap::deleteAndRefresh_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<QStringList>("item");  // empty: no selection
    QTest::addColumn<int>("answer");        // to the question before emptying everything
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QStringList>("gone");  // items no longer in the tree
    QTest::addColumn<QList<QByteArray>>("planGone");
    QTest::addColumn<QList<QByteArray>>("planKept");

    const int remove = vorel::cmd::kTmapDelete;
    const int refresh = vorel::cmd::kTmapRefresh;
    QTest::newRow("delete a serial number: the UID of that number stays")
        << remove << QStringList{"Hall", "SN 812 "} << 0 << QByteArray()
        << QStringList{"Hall/SN 812 "} << QList<QByteArray>{"SN=\"812\""}
        << QList<QByteArray>{"UID=\"812\"", "LUMET_AC"};
    QTest::newRow("delete a device from its section")
        << remove << QStringList{"Hall", "lamp", "PORT (A)", "LED"} << 0 << QByteArray()
        << QStringList{"Hall/lamp"} << QList<QByteArray>{"UID=\"5\"", "LUMET_CC"}
        << QList<QByteArray>{"UID=\"6\""};
    QTest::newRow("delete a gateway: the other's devices stay")
        << remove << QStringList{"127.0.0.6"} << 0 << QByteArray() << QStringList{"127.0.0.6"}
        << QList<QByteArray>{"UID=\"20\"", "SN=\"900\"", "127.0.0.6"}
        << QList<QByteArray>{"UID=\"5\"", "SN=\"812\"", "127.0.0.5"};
    QTest::newRow("delete with nothing selected, answered No")
        << remove << QStringList{} << int(QMessageBox::No) << QByteArray() << QStringList{}
        << QList<QByteArray>{} << QList<QByteArray>{"UID=\"5\"", "127.0.0.6"};
    QTest::newRow("delete with nothing selected, answered Yes")
        << remove << QStringList{} << int(QMessageBox::Yes) << QByteArray()
        << QStringList{"Hall", "127.0.0.6"} << QList<QByteArray>{"UID", "SN", "UBRIX"}
        << QList<QByteArray>{};
    QTest::newRow("refresh a device: asked first, then rebuilt from its answers")
        << refresh << QStringList{"Hall", "lamp"} << 0 << QByteArray("#UID5=?;")
        << QStringList{"Hall/lamp"} << QList<QByteArray>{"UID=\"5\""}
        << QList<QByteArray>{"UID=\"6\""};
    QTest::newRow("refresh a serial number: it is asked to announce itself")
        << refresh << QStringList{"Hall", "SN 812 "} << 0 << QByteArray("#UID=REGISTER;")
        << QStringList{"Hall/SN 812 "} << QList<QByteArray>{"SN=\"812\""}
        << QList<QByteArray>{"UID=\"812\""};
    QTest::newRow("refresh a device of a family no keyword names: no discovery")
        << refresh << QStringList{"Hall", "UID 9 "} << 0 << QByteArray("#UID9=?;")
        << QStringList{"Hall/UID 9 "} << QList<QByteArray>{"NEBIL_A"}
        << QList<QByteArray>{"127.0.0.6"};
    QTest::newRow("refresh a gateway registers its bus")
        << refresh << QStringList{"Hall"} << 0 << QByteArray("#UID=REGISTER;") << QStringList{}
        << QList<QByteArray>{} << QList<QByteArray>{"SN=\"812\""};
}

void TestUbrixVorelTMap::deleteAndRefresh() {
    QFETCH(int, command);
    QFETCH(QStringList, item);
    QFETCH(int, answer);
    QFETCH(QByteArray, sent);
    QFETCH(QStringList, gone);
    QFETCH(QList<QByteArray>, planGone);
    QFETCH(QList<QByteArray>, planKept);

    CGuiHarness harness;
    CUdpPeer hall;
    QVERIFY(hall.bind(CGuiHarness::loopback(5), kSendPort));
    auto view = openSite(harness, item, answer);
    const QStringList before = describe(view->model().root());

    view->OnCommand(command);

    const auto datagram = hall.receive(sent.isEmpty() ? kQuietMs : kQuietMs * 10);
    QCOMPARE(datagram ? datagram->bytes : QByteArray(), sent);
    for (const QString& path : gone) {
        QVERIFY2(!shows(*view, path.split(u'/')), qPrintable(path));
    }
    if (gone.isEmpty()) {
        QCOMPARE(describe(view->model().root()), before);
    }
    const QByteArray plan = planText(harness);
    for (const QByteArray& text : planGone) {
        QVERIFY2(!plan.contains(text), text.constData());
    }
    for (const QByteArray& text : planKept) {
        QVERIFY2(plan.contains(text), text.constData());
    }
    QCOMPARE(harness.fixture().errorLogText(), QByteArray());
}

void TestUbrixVorelTMap::collectionOnTheTestClock() {
    CGuiHarness harness;
    harness.settings().collectPacing = QStringLiteral("fixed");
    // Nobody answers here: the queries go once each, as without retries they always have.
    harness.settings().retries = 0;
    auto view = openView(harness);
    CDialogService::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(button(*view, "collect"), Qt::LeftButton);
    QCOMPARE(CDialogService::askedTexts(),
             QStringList{QString::fromLatin1(CBusCollection::kNoDevices)});

    CUdpPeer hall;
    QVERIFY(hall.bind(CGuiHarness::loopback(5), kSendPort));
    harness.fixture().receive(
        {CGuiHarness::line("127.0.0.5", "+UID1;"), CGuiHarness::line("127.0.0.5", "+UID2;"),
         CGuiHarness::line("127.0.0.5", "+UID3;"), CGuiHarness::line("127.0.0.5", "+UID4;")});
    QVERIFY(progressOf(*view)->isHidden());
    QTest::mouseClick(button(*view, "collect"), Qt::LeftButton);
    QVERIFY(!progressOf(*view)->isHidden());
    QVERIFY(!button(*view, "collect")->isEnabled());

    QList<int> progress;
    QStringList sent;
    auto take = [&] {
        while (const auto datagram = hall.receive(kQuietMs)) {
            sent.append(QString::fromLatin1(datagram->bytes));
            progress.append(progressOf(*view)->value());
        }
    };
    harness.timers().advance(99ms);
    QVERIFY(!hall.receive(kQuietMs).has_value());
    harness.timers().advance(1ms);
    take();
    harness.timers().advance(1999ms);
    take();
    QCOMPARE(sent, QStringList{"&=?;"});
    for (int device = 0; device < 4; ++device) {
        harness.timers().advance(device == 0 ? 1ms : 1000ms);
        take();
    }
    QCOMPARE(sent, (QStringList{"&=?;", "#UID1=?;", "#UID2=?;", "#UID3=?;", "#UID4=?;"}));
    QCOMPARE(progress.mid(1), (QList<int>{16384, 32768, 49152, 65536}));
    harness.timers().advance(1999ms);
    QVERIFY(!progressOf(*view)->isHidden());
    // The end says who did not answer.
    CDialogService::setNextAnswer(QMessageBox::Ok);
    harness.timers().advance(1ms);
    QVERIFY(progressOf(*view)->isHidden());
    QVERIFY(button(*view, "collect")->isEnabled());
    const QString end = CDialogService::askedTexts().back();
    QVERIFY2(end.startsWith(QStringLiteral("Collected 1 gateway(s) and 4 bus device(s); 5 of them "
                                           "did not report everything")),
             qPrintable(end));
    QVERIFY(end.contains(QStringLiteral("gateway 127.0.0.5 did not answer")));
    QVERIFY(end.contains(QStringLiteral("UID 4 behind 127.0.0.5 did not answer")));
}

void TestUbrixVorelTMap::collectionOutlivesTheView() {
    CGuiHarness harness;
    harness.settings().collectPacing = QStringLiteral("fixed");
    harness.settings().retries = 0;
    harness.fixture().receive(
        {CGuiHarness::line("127.0.0.5", "+UID1;"), CGuiHarness::line("127.0.0.5", "+UID2;")});
    auto view = openView(harness);
    view->OnCollect();
    harness.timers().advance(2200ms);  // UID1 asked
    // The user switches to another view and back: the run goes on, the new view shows it.
    view.reset();
    harness.timers().advance(500ms);
    view = openView(harness);
    QVERIFY(!progressOf(*view)->isHidden());
    QCOMPARE(progressOf(*view)->value(), 32768);
    QVERIFY(!button(*view, "collect")->isEnabled());
    harness.timers().advance(1000ms);
    QCOMPARE(progressOf(*view)->value(), 65536);
    CDialogService::setNextAnswer(QMessageBox::Ok);  // nobody answered
    harness.timers().advance(2000ms);
    QVERIFY(progressOf(*view)->isHidden());
    QVERIFY(harness.sequencer().run(QString::fromLatin1(CBusCollection::kRunName)) == nullptr);

    // Stop ends a run at once.
    view->OnCollect();
    QVERIFY(!button(*view, "stop")->isHidden());
    QTest::mouseClick(button(*view, "stop"), Qt::LeftButton);
    QVERIFY(progressOf(*view)->isHidden());
    QVERIFY(button(*view, "collect")->isEnabled());
}

void TestUbrixVorelTMap::failedSendEndsTheCollection() {
    CGuiHarness harness;
    harness.fixture().receive(
        {CGuiHarness::line("127.0.0.5", "+UID1;"), CGuiHarness::line("127.0.0.6", "+UID2;")});
    auto view = openView(harness);
    harness.transport().setAdapters(CAdapterTable::fromCandidates({kGoneAdapter}));
    view->OnCollect();
    harness.timers().advance(60000ms);
    // The transport's one message is the report; nothing more was tried.
    QCOMPARE(harness.fixture().notifier().messages().size(), 1);
    QVERIFY(progressOf(*view)->isHidden());
    QVERIFY(button(*view, "collect")->isEnabled());
}

void TestUbrixVorelTMap::presets_data() {
    QTest::addColumn<QStringList>("item");
    // Empty: no dialog; "-": no such file; "<empty>": a file of no bytes.
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<QByteArray>>("sent");
    QTest::addColumn<QStringList>("messages");

    const QString complete = QString::fromLatin1(CPresetFile::kComplete);
    QTest::newRow("three lines, CR LF")
        << QStringList{"Hall", "lamp", "LED"} << QByteArray("255,128,0\r\n1,2,3\r\n4,5,6\r\n")
        << QList<QByteArray>{"#UID5.LED.PRESET.100=255.128.0", "#UID5.LED.PRESET.101=1.2.3",
                             "#UID5.LED.PRESET.102=4.5.6"}
        << QStringList{complete};
    QTest::newRow("an LED under a port")
        << QStringList{"Hall", "lamp", "PORT (A)", "LED"} << QByteArray("1,1\n")
        << QList<QByteArray>{"#UID5.LED.PRESET.100=1.1"} << QStringList{complete};
    QTest::newRow("an empty file")
        << QStringList{"Hall", "lamp", "LED"} << QByteArray("\n")
        << QList<QByteArray>{"#UID5.LED.PRESET.100="} << QStringList{complete};
    QTest::newRow("a refused line: nothing is sent")
        << QStringList{"Hall", "lamp", "LED"} << QByteArray("1,1\n2;2\n") << QList<QByteArray>{}
        << QStringList{QStringLiteral("Line 2 of the preset file: The value may not contain "
                                      "\";\": it ends a command. Nothing was sent.")};
    QTest::newRow("no such file") << QStringList{"Hall", "lamp", "LED"} << QByteArray("-")
                                  << QList<QByteArray>{}
                                  << QStringList{QStringLiteral(
                                         "Can't open file No such file or directory")};
    QTest::newRow("not an LED") << QStringList{"Hall", "lamp", "PORT (A)", "IR"} << QByteArray()
                                << QList<QByteArray>{}
                                << QStringList{QString::fromLatin1(CBusActions::kSelectLed)};
}

void TestUbrixVorelTMap::presets() {
    QFETCH(QStringList, item);
    QFETCH(QByteArray, file);
    QFETCH(QList<QByteArray>, sent);
    QFETCH(QStringList, messages);

    CGuiHarness harness;
    CUdpPeer hall;
    QVERIFY(hall.bind(CGuiHarness::loopback(5), kSendPort));
    auto view = openSite(harness, {}, 0);
    selectItem(*view, item);
    const QString path = harness.fixture().path(QStringLiteral("presets.cms"));
    if (!file.isEmpty()) {
        if (file != "-") {
            QFile written(path);
            QVERIFY(written.open(QIODevice::WriteOnly));
            written.write(file == "<empty>" ? QByteArray() : file);
        }
        CDialogService::setNextFileName(path);
    }
    for (qsizetype i = 0; i < messages.size(); ++i) {
        CDialogService::setNextAnswer(QMessageBox::Ok);
    }

    QVERIFY(view->handlesCommand(vorel::cmd::kUploadCmsFile));
    view->OnCommand(vorel::cmd::kUploadCmsFile);

    QList<QByteArray> received;
    for (qsizetype preset = 0; preset < sent.size(); ++preset) {
        if (preset > 0) {
            // One upload at a time, and the window goes on meanwhile.
            QVERIFY(!view->handlesCommand(vorel::cmd::kUploadCmsFile));
            QVERIFY(!hall.receive(0).has_value());
            harness.timers().advance(50ms);
        }
        const auto datagram = hall.receive(kQuietMs * 10);
        QVERIFY(datagram.has_value());
        received.append(datagram->bytes);
    }
    harness.timers().advance(50ms);
    QCOMPARE(received, sent);
    QCOMPARE(CDialogService::askedTexts(), messages);
    if (!file.isEmpty()) {
        QCOMPARE(CDialogService::askedFileDialogs().front().filter,
                 QString::fromLatin1(CPresetFile::kFilter));
    }
}

void TestUbrixVorelTMap::updater() {
    CGuiHarness harness;
    harness.fixture().receive({CGuiHarness::line("10.0.0.7", "+SN812;"),
                               CGuiHarness::line("10.0.0.7", "!UID5.LED.MODE=ON;")});
    auto view = openView(harness);
    const QString recorded = harness.fixture().path(QStringLiteral("arguments.txt"));
    qputenv("VOREL_RECORDED_ARGUMENTS", recorded.toLocal8Bit());
    harness.settings().updaterProgram =
        testsupport::dataPath(QStringLiteral("updater/record-arguments.sh"));

    // Nothing for a gateway or the root.
    for (const QStringList& path : {QStringList{}, QStringList{"10.0.0.7"}}) {
        selectItem(*view, path);
        view->OnCommand(vorel::cmd::kTmapUpdate);
    }
    selectItem(*view, {"10.0.0.7", "SN 812 "});
    view->OnCommand(vorel::cmd::kTmapUpdate);
    QTRY_VERIFY(QFile::exists(recorded));
    QFile file(recorded);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("/I\n10.0.0.7\n/N\nUBRIX\nGEN3\n/P\nKLOMB\n/S\n812\n"));

    // A missing program is told, once.
    harness.settings().updaterProgram = QStringLiteral("/nonexistent/KV_Update");
    CDialogService::setNextAnswer(QMessageBox::Ok);
    selectItem(*view, {"10.0.0.7", "UID 5 ", "LED"});
    view->OnCommand(vorel::cmd::kTmapUpdate);
    QCOMPARE(CDialogService::askedTexts(),
             QStringList{QStringLiteral(
                 "The firmware updater /nonexistent/KV_Update could not be started")});
}

// "Replace device..." stands in the pop-up menu and takes a device of the map: it asks for
// the file holding the old one's settings; anything else is told what to select.
void TestUbrixVorelTMap::replaceDevice() {
    QVERIFY(CPopupMenus::commands(vorel::cmd::kPopupBusView).contains(vorel::cmd::kTmapReplace));
    CGuiHarness harness;
    harness.fixture().receive({CGuiHarness::line("10.0.0.7", "+SN812;"),
                               CGuiHarness::line("10.0.0.7", "!UID5.LED.MODE=ON;")});
    auto view = openView(harness);
    QVERIFY(view->handlesCommand(vorel::cmd::kTmapReplace));
    for (const QStringList& path :
         {QStringList{}, QStringList{"10.0.0.7"}, QStringList{"10.0.0.7", "SN 812 "}}) {
        selectItem(*view, path);
        CDialogService::setNextAnswer(QMessageBox::Ok);
        view->OnCommand(vorel::cmd::kTmapReplace);
    }
    QCOMPARE(CDialogService::askedTexts(),
             QStringList(3, QString::fromLatin1(CBusActions::kSelectDevice)));
    selectItem(*view, {"10.0.0.7", "UID 5 ", "LED"});
    CDialogService::setNextFileName(QString());
    view->OnCommand(vorel::cmd::kTmapReplace);
    QCOMPARE(CDialogService::askedFileDialogs().size(), 1);
}

QTEST_MAIN(TestUbrixVorelTMap)
#include "TestUbrixVorelTMap.moc"
