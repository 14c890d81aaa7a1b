#include "CGuiHarness.h"
#include "gui/base/CDialogService.h"
#include "gui/base/CommandIds.h"
#include "gui/base/IFrameChild.h"
#include "gui/base/WindowMessages.h"
#include "gui/shell/CMainFrame.h"
#include "gui/views/CTrafficListModel.h"
#include "gui/views/CUbrixVorelView.h"
#include "sim/CSimNetwork.h"
#include "support/CTestLan.h"
#include "support/CUdpPeer.h"
#include "support/NamedChild.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QTest>
#include <atomic>
#include <thread>

namespace {

constexpr int kWatchdogMs = 5000;

// A tool window that keeps what the frame hands it.
class CFakeChild : public QWidget, public IFrameChild {
public:
    explicit CFakeChild(QWidget* parent) : QWidget(parent, Qt::Window) {}
    void OnKeypadStatus(const QByteArray& text) override { statuses.append(text); }
    void OnTraceLine(const QByteArray& text) override { traces.append(text); }
    QList<QByteArray> statuses;
    QList<QByteArray> traces;
};

// Makes fake tool windows and remembers them.
struct ChildMaker {
    QList<QPointer<CFakeChild>> made;
    CMainFrame::ChildFactory factory() {
        return [this](CMainFrame& frame) {
            auto* child = new CFakeChild(&frame);
            made.append(child);
            return child;
        };
    }
};

CFakeChild* childOf(const CMainFrame& frame, int slot) {
    return dynamic_cast<CFakeChild*>(frame.childWindow(slot));
}

CUbrixVorelView* trafficView(const CMainFrame& frame) {
    return qobject_cast<CUbrixVorelView*>(frame.activeView());
}

QStringList itemsOf(const QListWidget* list) {
    QStringList items;
    for (int row = 0; row < list->count(); ++row) {
        items.append(list->item(row)->text());
    }
    return items;
}

}  // namespace

class TestMainFrameMessages : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void keypadOpensOnceAndAgainAfterItClosed_data();
    void keypadOpensOnceAndAgainAfterItClosed();
    void childClosedWithAnUnknownNumberChangesNothing();
    void windowThatCannotBeMadeKeepsItsSlot();
    void sunCommandTogglesTheSunDialog();
    void closingTheFrameDestroysLedKeypadAndTraceWindow();
    void bangRepliesAreRoutedToOpenKeypads_data();
    void bangRepliesAreRoutedToOpenKeypads();
    void bangRepliesReachNoClosedKeypad();
    void bracketTextsGoToTheTraceWindowOnly();
    void receivedDatagramsReachViewsAndKeypads();
    void sendTextFromAWorkerThread();
    void demoGatewaysAnswerRefresh();
};

void TestMainFrameMessages::initTestCase() {
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
}

void TestMainFrameMessages::init() {
    CDialogService::enableTestHook();
}

void TestMainFrameMessages::cleanup() {
    QCOMPARE(CDialogService::pendingAnswerCount(), 0);
}

void TestMainFrameMessages::keypadOpensOnceAndAgainAfterItClosed_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("slot");

    QTest::newRow("Simple") << int(vorel::cmd::kKeypadSimple) << int(vorel::umw::kBasicKeypad);
    QTest::newRow("Lighting") << int(vorel::cmd::kKeypadLighting) << int(vorel::umw::kLedKeypad);
    QTest::newRow("Motor") << int(vorel::cmd::kKeypadMotor) << int(vorel::umw::kMotorKeypad);
}

void TestMainFrameMessages::keypadOpensOnceAndAgainAfterItClosed() {
    QFETCH(int, command);
    QFETCH(int, slot);

    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    ChildMaker maker;
    frame.setChildFactory(slot, maker.factory());
    QVERIFY(CGuiHarness::command(frame, command)->isEnabled());

    CGuiHarness::command(frame, command)->trigger();
    CGuiHarness::command(frame, command)->trigger();
    QCOMPARE(maker.made.size(), 1);
    QCOMPARE(frame.childWindow(slot), maker.made.at(0).data());
    QVERIFY(maker.made.at(0)->isVisible());
    QVERIFY(maker.made.at(0)->isWindow());

    // The window tells the frame that it closes, and goes.
    maker.made.at(0)->close();
    delete maker.made.at(0).data();
    frame.OnChildClosed(slot);
    QVERIFY(!frame.isChildSlotOccupied(slot));

    frame.runCommand(command);
    QCOMPARE(maker.made.size(), 2);
    QCOMPARE(frame.childWindow(slot), maker.made.at(1).data());
}

void TestMainFrameMessages::childClosedWithAnUnknownNumberChangesNothing() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    ChildMaker maker;
    frame.setChildFactory(vorel::umw::kSunDialog, maker.factory());
    frame.setChildFactory(vorel::umw::kLedKeypad, maker.factory());
    frame.runCommand(vorel::cmd::kToggleSun);
    frame.runCommand(vorel::cmd::kKeypadLighting);

    for (const int number : {0, 5, 6, -1, 0x8304}) {
        frame.OnChildClosed(number);
    }

    QVERIFY(frame.childWindow(vorel::umw::kSunDialog) != nullptr);
    QVERIFY(frame.childWindow(vorel::umw::kLedKeypad) != nullptr);
}

void TestMainFrameMessages::windowThatCannotBeMadeKeepsItsSlot() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    int attempts = 0;
    frame.setChildFactory(vorel::umw::kMotorKeypad, [&attempts](CMainFrame&) -> QWidget* {
        ++attempts;
        return nullptr;
    });
    CDialogService::setNextAnswer(QMessageBox::Ok);

    frame.runCommand(vorel::cmd::kKeypadMotor);
    frame.runCommand(vorel::cmd::kKeypadMotor);

    QCOMPARE(CDialogService::askedTexts(), QStringList{"Error creating Dialog"});
    QCOMPARE(attempts, 1);
    QVERIFY(frame.isChildSlotOccupied(vorel::umw::kMotorKeypad));
    QCOMPARE(frame.childWindow(vorel::umw::kMotorKeypad), nullptr);
}

void TestMainFrameMessages::sunCommandTogglesTheSunDialog() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    ChildMaker maker;
    frame.setChildFactory(vorel::umw::kSunDialog, maker.factory());
    QAction* sun = CGuiHarness::command(frame, vorel::cmd::kToggleSun);
    QVERIFY(!sun->isChecked());

    sun->trigger();
    QCOMPARE(maker.made.size(), 1);
    QVERIFY(sun->isChecked());
    QVERIFY(maker.made.at(0)->isVisible());

    sun->trigger();
    QVERIFY(maker.made.at(0).isNull());
    QVERIFY(!sun->isChecked());
    QVERIFY(!frame.isChildSlotOccupied(vorel::umw::kSunDialog));

    sun->trigger();
    QCOMPARE(maker.made.size(), 2);
    QVERIFY(sun->isChecked());
}

void TestMainFrameMessages::closingTheFrameDestroysLedKeypadAndTraceWindow() {
    CGuiHarness harness;
    auto frame = std::make_unique<CMainFrame>(harness.context(), false);
    ChildMaker maker;
    for (const int slot :
         {vorel::umw::kLedKeypad, vorel::umw::kTraceWindow, vorel::umw::kBasicKeypad}) {
        frame->setChildFactory(slot, maker.factory());
        frame->openChildWindow(slot);
    }
    QCOMPARE(maker.made.size(), 3);
    frame->show();

    frame->close();

    QVERIFY(maker.made.at(0).isNull());
    QVERIFY(maker.made.at(1).isNull());
    QVERIFY(!maker.made.at(2).isNull());
    QCOMPARE(frame->childWindow(vorel::umw::kLedKeypad), nullptr);
    frame.reset();
    QVERIFY(maker.made.at(2).isNull());
}

void TestMainFrameMessages::bangRepliesAreRoutedToOpenKeypads_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("toLed");
    QTest::addColumn<bool>("toMotor");

    QTest::newRow("LED value") << QByteArray("!1.1.0.LED.VALUE=50;\r\n") << true << false;
    QTest::newRow("LED colour") << QByteArray("!1.2.0.LED.COLOR=255,0,0;") << true << false;
    QTest::newRow("LED status") << QByteArray("!2.1.3.LED.STATUS=ON;") << true << false;
    QTest::newRow("motor position") << QByteArray("!1.1.1.MOTOR.POSITION=40;") << false << true;
    QTest::newRow("bus device by UID, LED") << QByteArray("!UID5.LED.VALUE=50;") << false << false;
    QTest::newRow("bus device by UID, motor")
        << QByteArray("!UID3.MOTOR.POSITION=40;") << false << false;
    QTest::newRow("gateway setting") << QByteArray("!NAME=Lobby;") << false << false;
    QTest::newRow("other LED setting") << QByteArray("!1.1.0.LED.LEVEL=1;") << false << false;
    QTest::newRow("lower case") << QByteArray("!1.1.0.led.value=1;") << false << false;
    QTest::newRow("both kinds") << QByteArray("!1.1.0.LED.VALUE=1;MOTOR.POSITION=2;") << true
                                << true;
}

void TestMainFrameMessages::bangRepliesAreRoutedToOpenKeypads() {
    QFETCH(QByteArray, text);
    QFETCH(bool, toLed);
    QFETCH(bool, toMotor);

    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    ChildMaker maker;
    for (const int slot :
         {vorel::umw::kLedKeypad, vorel::umw::kMotorKeypad, vorel::umw::kBasicKeypad}) {
        frame.setChildFactory(slot, maker.factory());
        frame.openChildWindow(slot);
    }

    frame.OnRxBang(text);
    // Posted: the keypads take it when the event loop turns.
    QVERIFY(childOf(frame, vorel::umw::kLedKeypad)->statuses.isEmpty());
    QCoreApplication::processEvents();

    QCOMPARE(childOf(frame, vorel::umw::kLedKeypad)->statuses,
             toLed ? QList<QByteArray>{text} : QList<QByteArray>{});
    QCOMPARE(childOf(frame, vorel::umw::kMotorKeypad)->statuses,
             toMotor ? QList<QByteArray>{text} : QList<QByteArray>{});
    QVERIFY(childOf(frame, vorel::umw::kBasicKeypad)->statuses.isEmpty());
}

void TestMainFrameMessages::bangRepliesReachNoClosedKeypad() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    ChildMaker maker;
    frame.setChildFactory(vorel::umw::kLedKeypad, maker.factory());
    frame.openChildWindow(vorel::umw::kLedKeypad);

    frame.OnRxBang("!1.1.0.LED.VALUE=50;");
    // The keypad goes before the event loop turns: the posted text is dropped with it.
    delete maker.made.at(0).data();
    frame.OnChildClosed(vorel::umw::kLedKeypad);
    QCoreApplication::processEvents();
    frame.OnRxBang("!1.1.0.LED.VALUE=60;");
    QCoreApplication::processEvents();

    frame.openChildWindow(vorel::umw::kLedKeypad);
    QCoreApplication::processEvents();
    QVERIFY(childOf(frame, vorel::umw::kLedKeypad)->statuses.isEmpty());
}

void TestMainFrameMessages::bracketTextsGoToTheTraceWindowOnly() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    ChildMaker maker;
    frame.setChildFactory(vorel::umw::kTraceWindow, maker.factory());
    frame.setChildFactory(vorel::umw::kLedKeypad, maker.factory());
    frame.OnRxBracket("[nobody listens]");
    frame.openChildWindow(vorel::umw::kTraceWindow);
    frame.openChildWindow(vorel::umw::kLedKeypad);

    frame.OnRxBracket("[1.1.0.LED.VALUE=50]");
    QCoreApplication::processEvents();

    QCOMPARE(childOf(frame, vorel::umw::kTraceWindow)->traces,
             QList<QByteArray>{"[1.1.0.LED.VALUE=50]"});
    QVERIFY(childOf(frame, vorel::umw::kLedKeypad)->statuses.isEmpty());
    QVERIFY(childOf(frame, vorel::umw::kLedKeypad)->traces.isEmpty());
}

void TestMainFrameMessages::receivedDatagramsReachViewsAndKeypads() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    ChildMaker maker;
    frame.setChildFactory(vorel::umw::kLedKeypad, maker.factory());
    frame.setChildFactory(vorel::umw::kTraceWindow, maker.factory());
    frame.openChildWindow(vorel::umw::kLedKeypad);
    frame.openChildWindow(vorel::umw::kTraceWindow);
    harness.transport().StartTransport();
    CUdpPeer gateway;
    QVERIFY(gateway.bind(CGuiHarness::loopback(20), 0));

    QVERIFY(gateway.send("!NAME=Lobby;\r\n", CGuiHarness::loopback(1), 4000));
    QVERIFY(gateway.send("[trace text]", CGuiHarness::loopback(1), 4000));
    QVERIFY(gateway.send("!1.1.0.LED.VALUE=50;\r\n", CGuiHarness::loopback(1), 4000));

    CUbrixVorelView* view = trafficView(frame);
    QTRY_COMPARE(namedChild<CTrafficListModel>(*view, "trafficModel")->rowCount(), 2);
    QCOMPARE(namedChild<CTrafficListModel>(*view, "trafficModel")->line(0),
             QByteArray("[14:03:09] (127.0.0.20) !NAME=Lobby;"));
    QCOMPARE(namedChild<CTrafficListModel>(*view, "trafficModel")->line(1),
             QByteArray("[14:03:09] (127.0.0.20) !1.1.0.LED.VALUE=50;"));
    QCOMPARE(itemsOf(namedChild<QListWidget>(*view, "gateways")), QStringList{"Lobby"});
    QCOMPARE(namedChild<QComboBox>(*view, "destinations")->itemText(1),
             QStringLiteral("Lobby (..020)"));
    QTRY_COMPARE(childOf(frame, vorel::umw::kLedKeypad)->statuses,
                 QList<QByteArray>{"!1.1.0.LED.VALUE=50;\r\n"});
    QTRY_COMPARE(childOf(frame, vorel::umw::kTraceWindow)->traces,
                 QList<QByteArray>{"[trace text]"});
    QVERIFY(harness.doc().inboundQueue().isEmpty());
}

void TestMainFrameMessages::sendTextFromAWorkerThread() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    CUdpPeer gateway;
    QVERIFY(gateway.bind(CGuiHarness::loopback(20), 5000));
    std::atomic<bool> handled{false};

    // A worker hands the frame a text and waits until it is sent (UMW_SEND_TEXT).
    std::thread worker([&frame, &handled] {
        const QByteArray text = "#UID=REGISTER;";
        QMetaObject::invokeMethod(
            &frame, [&frame, text] { frame.OnSendText(CGuiHarness::loopback(20), text); },
            Qt::BlockingQueuedConnection);
        handled = true;
    });
    QTRY_VERIFY(handled.load());
    worker.join();

    const auto datagram = gateway.receive(kWatchdogMs);
    QVERIFY(datagram.has_value());
    QCOMPARE(datagram->bytes, QByteArray("#UID=REGISTER;"));
}

void TestMainFrameMessages::demoGatewaysAnswerRefresh() {
    CGuiHarness harness;
    QString error;
    const std::unique_ptr<CSimNetwork> site =
        CSimNetwork::startDemo(3, 2, testsupport::runtimePath(QString()), error);
    QVERIFY2(site != nullptr, qPrintable(error));
    CMainFrame frame(harness.context(), false);
    harness.transport().StartTransport();
    CUbrixVorelView* view = trafficView(frame);

    view->OnGatewaysRefresh();

    QTRY_COMPARE(namedChild<QListWidget>(*view, "gateways")->count(), 3);
    QCOMPARE(itemsOf(namedChild<QListWidget>(*view, "gateways")),
             (QStringList{"Ubrix 1", "Ubrix 2", "Ubrix 3"}));
    QStringList destinations;
    for (int index = 0; index < namedChild<QComboBox>(*view, "destinations")->count(); ++index) {
        destinations.append(namedChild<QComboBox>(*view, "destinations")->itemText(index));
    }
    destinations.sort();
    QCOMPARE(destinations,
             (QStringList{"Broadcast", "Ubrix 1 (..002)", "Ubrix 2 (..003)", "Ubrix 3 (..004)"}));
    QVERIFY(harness.fixture().notifier().messages().isEmpty());
}

QTEST_MAIN(TestMainFrameMessages)
#include "TestMainFrameMessages.moc"
