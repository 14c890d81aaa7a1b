#include "gui/controls/CmyButton.h"
#include "support/CManualTimerSource.h"

#include <QMetaEnum>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

QString nameOf(CmyButton::Notification code) {
    return QString::fromLatin1(QMetaEnum::fromType<CmyButton::Notification>().valueToKey(code));
}

// Mouse events straight to the button, so that no double click is made up from two quick
// presses and each step of a script is exactly one event.
void sendMouse(QWidget* widget, QEvent::Type type, Qt::MouseButton button) {
    const QPointF position = QRectF(widget->rect()).center();
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, position, widget->mapToGlobal(position), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

// A button on a hand-driven clock that writes down what it tells its owner.
struct Rig {
    CManualTimerSource time;
    CmyButton button{QStringLiteral("1")};
    QStringList log;

    Rig() {
        button.setTickTimer(time.createTimer());
        button.resize(80, 30);
        QObject::connect(
            &button, &CmyButton::notified, &button,
            [this](CmyButton*, CmyButton::Notification code) { log.append(nameOf(code)); });
    }

    // Steps: press, release, dblclick (the double click event alone), rpress and rrelease
    // (right button), hold and letgo (the keyboard's hold), wait:<ms>.
    void run(const QString& script) {
        for (const QString& step : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (step == QLatin1String("press")) {
                sendMouse(&button, QEvent::MouseButtonPress, Qt::LeftButton);
            } else if (step == QLatin1String("release")) {
                sendMouse(&button, QEvent::MouseButtonRelease, Qt::LeftButton);
            } else if (step == QLatin1String("dblclick")) {
                sendMouse(&button, QEvent::MouseButtonDblClick, Qt::LeftButton);
            } else if (step == QLatin1String("rpress")) {
                sendMouse(&button, QEvent::MouseButtonPress, Qt::RightButton);
            } else if (step == QLatin1String("rrelease")) {
                sendMouse(&button, QEvent::MouseButtonRelease, Qt::RightButton);
            } else if (step == QLatin1String("hold")) {
                button.holdDown();
            } else if (step == QLatin1String("letgo")) {
                button.letGo();
            } else if (step.startsWith(QLatin1String("wait:"))) {
                time.advance(std::chrono::milliseconds(step.mid(5).toInt()));
            } else {
                QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
            }
        }
    }
};

}  // namespace

class TestCmyButton : public QObject {
    Q_OBJECT

private slots:
    void notificationCodes();
    void timing_data();
    void timing();
    void notificationComesBeforeTheStandardHandling();
    void notificationCarriesButtonAndId();
    void realMouseClick();
    void realTimerRunsOnlyWhileHeld();
    void ownerMayCloseTheButtonWhenHeld();
    void manualTimersTickInTimeOrder();
};

void TestCmyButton::notificationCodes() {
    QCOMPARE(int(CmyButton::NMB_PRESSED), 1025);
    QCOMPARE(int(CmyButton::NMB_SHORT), 1026);
    QCOMPARE(int(CmyButton::NMB_LONG), 1027);
    QCOMPARE(int(CmyButton::NMB_HELD), 1028);
    QCOMPARE(int(CmyButton::NMB_DBLCLK), 1029);
}

void TestCmyButton::timing_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("timerRunning");

    QTest::newRow("press and release at once") << "press release"
                                               << "NMB_PRESSED NMB_SHORT" << false;
    QTest::newRow("held while pressed") << "press wait:3000"
                                        << "NMB_PRESSED" << true;
    QTest::newRow("released at 4.9 s") << "press wait:4900 release"
                                       << "NMB_PRESSED NMB_SHORT" << false;
    QTest::newRow("released 1 ms before the fifth tick") << "press wait:4999 release"
                                                         << "NMB_PRESSED NMB_SHORT" << false;
    QTest::newRow("fifth tick while held") << "press wait:5000"
                                           << "NMB_PRESSED NMB_HELD" << false;
    QTest::newRow("released at the fifth tick") << "press wait:5000 release"
                                                << "NMB_PRESSED NMB_HELD NMB_LONG" << false;
    QTest::newRow("held 5 s in small steps")
        << "press wait:999 wait:1 wait:2000 wait:1999 wait:1 release"
        << "NMB_PRESSED NMB_HELD NMB_LONG" << false;
    QTest::newRow("held 10 s: one HELD only") << "press wait:10000 release"
                                              << "NMB_PRESSED NMB_HELD NMB_LONG" << false;
    QTest::newRow("held a minute: still one HELD") << "press wait:30000 wait:30000 release"
                                                   << "NMB_PRESSED NMB_HELD NMB_LONG" << false;
    QTest::newRow("nothing after the release") << "press wait:3000 release wait:10000"
                                               << "NMB_PRESSED NMB_SHORT" << false;
    QTest::newRow("second press counts from zero")
        << "press wait:3000 release press wait:3000 release"
        << "NMB_PRESSED NMB_SHORT NMB_PRESSED NMB_SHORT" << false;
    QTest::newRow("short press after a long one")
        << "press wait:6000 release press release"
        << "NMB_PRESSED NMB_HELD NMB_LONG NMB_PRESSED NMB_SHORT" << false;
    QTest::newRow("double click") << "press release dblclick release"
                                  << "NMB_PRESSED NMB_SHORT NMB_DBLCLK NMB_SHORT" << false;
    QTest::newRow("double click held long: the timer stays stopped")
        << "press release dblclick wait:10000 release"
        << "NMB_PRESSED NMB_SHORT NMB_DBLCLK NMB_SHORT" << false;
    QTest::newRow("double click while the first press is held")
        << "press wait:2000 dblclick wait:8000 release"
        << "NMB_PRESSED NMB_DBLCLK NMB_SHORT" << false;
    QTest::newRow("double click after the hold turned long")
        << "press wait:5000 dblclick release"
        << "NMB_PRESSED NMB_HELD NMB_DBLCLK NMB_LONG" << false;
    QTest::newRow("right button is ignored") << "rpress wait:6000 rrelease"
                                             << "" << false;
    QTest::newRow("right button during a left press")
        << "press wait:2000 rpress rrelease wait:3000 release"
        << "NMB_PRESSED NMB_HELD NMB_LONG" << false;
    QTest::newRow("key held briefly") << "hold wait:900 letgo"
                                      << "NMB_PRESSED NMB_SHORT" << false;
    QTest::newRow("key held 6 s") << "hold wait:6000 letgo"
                                  << "NMB_PRESSED NMB_HELD NMB_LONG" << false;
    QTest::newRow("key repeats while held count once")
        << "hold wait:3000 hold wait:3000 letgo letgo"
        << "NMB_PRESSED NMB_HELD NMB_LONG" << false;
    QTest::newRow("let go without a hold") << "letgo"
                                           << "" << false;
}

void TestCmyButton::timing() {
    QFETCH(QString, script);
    QFETCH(QString, expected);
    QFETCH(bool, timerRunning);

    Rig rig;
    rig.run(script);

    QCOMPARE(rig.log.join(QLatin1Char(' ')), expected);
    QCOMPARE(rig.button.isHoldTimerRunning(), timerRunning);
    QCOMPARE(rig.time.activeTimerCount(), timerRunning ? 1 : 0);
}

void TestCmyButton::notificationComesBeforeTheStandardHandling() {
    Rig rig;
    QStringList order;
    connect(&rig.button, &CmyButton::notified, this,
            [&](CmyButton* button, CmyButton::Notification code) {
                order.append(nameOf(code) +
                             (button->isDown() ? QStringLiteral(" down") : QStringLiteral(" up")));
            });
    connect(&rig.button, &QPushButton::clicked, this,
            [&] { order.append(QStringLiteral("clicked")); });

    rig.run(QStringLiteral("press wait:1000 release"));

    // The press is reported before the button shows itself pressed, the release before
    // it comes up and clicks.
    QCOMPARE(order, QStringList({"NMB_PRESSED up", "NMB_SHORT down", "clicked"}));
}

void TestCmyButton::notificationCarriesButtonAndId() {
    Rig rig;
    rig.button.setControlId(1003);
    QSignalSpy spy(&rig.button, &CmyButton::notified);

    rig.run(QStringLiteral("press"));

    QCOMPARE(spy.size(), 1);
    auto* sender = spy.at(0).at(0).value<CmyButton*>();
    QCOMPARE(sender, &rig.button);
    QCOMPARE(sender->controlId(), 1003);
    QCOMPARE(spy.at(0).at(1).value<CmyButton::Notification>(), CmyButton::NMB_PRESSED);
}

void TestCmyButton::realMouseClick() {
    Rig rig;
    rig.button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.button));
    QSignalSpy clicked(&rig.button, &QPushButton::clicked);

    QTest::mouseClick(&rig.button, Qt::LeftButton);

    QCOMPARE(rig.log, QStringList({"NMB_PRESSED", "NMB_SHORT"}));
    QCOMPARE(clicked.size(), 1);
}

void TestCmyButton::realTimerRunsOnlyWhileHeld() {
    CmyButton button;
    button.resize(80, 30);
    QVERIFY(!button.isHoldTimerRunning());

    sendMouse(&button, QEvent::MouseButtonPress, Qt::LeftButton);
    QVERIFY(button.isHoldTimerRunning());
    sendMouse(&button, QEvent::MouseButtonRelease, Qt::LeftButton);
    QVERIFY(!button.isHoldTimerRunning());

    sendMouse(&button, QEvent::MouseButtonPress, Qt::LeftButton);
    sendMouse(&button, QEvent::MouseButtonDblClick, Qt::LeftButton);
    QVERIFY(!button.isHoldTimerRunning());
}

void TestCmyButton::ownerMayCloseTheButtonWhenHeld() {
    CManualTimerSource time;
    QPointer<CmyButton> button = new CmyButton;
    button->setTickTimer(time.createTimer());
    button->resize(80, 30);
    connect(button, &CmyButton::notified, this,
            [&](CmyButton* sender, CmyButton::Notification code) {
                if (code == CmyButton::NMB_HELD) {
                    delete sender;
                }
            });

    sendMouse(button, QEvent::MouseButtonPress, Qt::LeftButton);
    time.advance(6s);

    QVERIFY(button.isNull());
    QCOMPARE(time.activeTimerCount(), 0);
    time.advance(10s);
}

void TestCmyButton::manualTimersTickInTimeOrder() {
    CManualTimerSource time;
    std::unique_ptr<ITickTimer> slow = time.createTimer();
    std::unique_ptr<ITickTimer> fast = time.createTimer();
    QStringList ticks;
    slow->setTickHandler([&] { ticks.append(QStringLiteral("slow@%1").arg(time.now().count())); });
    fast->setTickHandler([&] {
        ticks.append(QStringLiteral("fast@%1").arg(time.now().count()));
        if (time.now() == 900ms) {
            fast->start(1000ms);  // restarting from a handler counts from now
        }
    });
    slow->start(1000ms);
    fast->start(300ms);

    time.advance(2000ms);

    QCOMPARE(ticks, QStringList({"fast@300", "fast@600", "fast@900", "slow@1000", "fast@1900",
                                 "slow@2000"}));
    QCOMPARE(time.now(), 2000ms);
}

QTEST_MAIN(TestCmyButton)
#include "TestCmyButton.moc"
