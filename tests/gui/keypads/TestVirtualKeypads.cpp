#include "CGuiHarness.h"
#include "CKeypadProbe.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/keypads/CLedLevels.h"
#include "core/protocol/CKeypadCommands.h"
#include "core/transport/CIpv4Address.h"
#include "gui/base/CDialogService.h"
#include "gui/base/CommandIds.h"
#include "gui/base/WindowMessages.h"
#include "gui/controls/CmySlider.h"
#include "gui/keypads/CKeypadAddressBox.h"
#include "gui/keypads/CKeypadTargetList.h"
#include "gui/keypads/Cvpad.h"
#include "gui/keypads/Cvpad_basic.h"
#include "gui/keypads/Cvpad_motor.h"
#include "gui/shell/CMainFrame.h"
#include "support/NamedChild.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleOptionSlider>
#include <QTest>
#include <memory>

using namespace std::chrono_literals;
using vorel::keypad::Key;
using vorel::keypad::LedLevel;
using Texts = QList<QByteArray>;

namespace {

constexpr quint32 kBroadcast = CIpv4Address::kBroadcast;

std::unique_ptr<Cvpad> ledKeypad(CGuiHarness& harness, const CKeypadAddress& start = {2, 1, 0}) {
    harness.state().keypads.setStart(CKeypadAddressBlock::kKeypadEntry, start);
    auto pad = std::make_unique<Cvpad>(harness.doc(), harness.transport(), harness.state().keypads);
    // The test owns it, also after it closed.
    pad->setAttribute(Qt::WA_DeleteOnClose, false);
    return pad;
}

std::unique_ptr<Cvpad_motor> motorKeypad(CGuiHarness& harness) {
    harness.state().keypads.setStart(CKeypadAddressBlock::kKeypadEntry, {1, 1, 1});
    auto pad =
        std::make_unique<Cvpad_motor>(harness.doc(), harness.transport(), harness.state().keypads);
    pad->setAttribute(Qt::WA_DeleteOnClose, false);
    return pad;
}

std::unique_ptr<CKeypadWindow> motorOrLedKeypad(CGuiHarness& harness, bool motor) {
    if (motor) {
        return motorKeypad(harness);
    }
    return ledKeypad(harness);
}

// The box beside a level's slider on the LED keypad.
QLineEdit* valueBox(const Cvpad& pad, LedLevel level) {
    return namedChild<QLineEdit>(pad, QStringLiteral("value%1").arg(static_cast<int>(level)));
}

QStringList entriesOf(const QComboBox* list) {
    QStringList entries;
    for (int index = 0; index < list->count(); ++index) {
        entries.append(list->itemText(index));
    }
    return entries;
}

// The handle's centre for a position, as the style lays the slider out.
QPoint handleAt(CmySlider* slider, int position) {
    const int kept = slider->value();
    slider->setValue(position);
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = position;
    option.sliderValue = position;
    option.upsideDown = slider->invertedAppearance() != (slider->orientation() == Qt::Vertical);
    const QRect handle = slider->style()->subControlRect(QStyle::CC_Slider, &option,
                                                         QStyle::SC_SliderHandle, slider);
    slider->setValue(kept);
    return handle.center();
}

}  // namespace

// The three keypads on their own and as the frame opens them: their keys on a hand-driven
// clock, the beep, their address boxes, target lists, sliders, status lines and keyboard.
class TestVirtualKeypads : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void ledKeys_data();
    void ledKeys();
    void ledEffectsAndSliders();
    void ledStatusMovesSlidersAndSendsNothing();
    void addressBox_data();
    void addressBox();
    void targetList();
    void ledKeyboard();
    void basicKeypad();
    void motorKeysAndBank();
    void motorSlidersHaveZeroAtTheTop();
    void motorStatus();
    void textBoxesKeepTheirKeys_data();
    void textBoxesKeepTheirKeys();
    void silenceIsSaid_data();
    void silenceIsSaid();
    void frameOpensEachKeypadOnceAndClosesIt_data();
    void frameOpensEachKeypadOnceAndClosesIt();
    void motorKeypadMovesWhereTheLedKeypadStarts();
};

void TestVirtualKeypads::init() {
    CDialogService::enableTestHook();
}

void TestVirtualKeypads::cleanup() {
    QCOMPARE(CDialogService::pendingAnswerCount(), 0);
}

void TestVirtualKeypads::ledKeys_data() {
    QTest::addColumn<bool>("toolbox");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("holdMs");
    QTest::addColumn<Texts>("expected");
    QTest::addColumn<int>("beeps");

    const int preset = int(Key::Preset);
    QTest::newRow("Preset, key 2 at once")
        << false << 2 << 0 << Texts{"#2.1.0.LED=RECALL,2\r\n"} << 0;
    QTest::newRow("Preset, key 2 held 6 s")
        << false << 2 << 6000 << Texts{"#2.1.0.LED=STORE,2\r"} << 1;
    QTest::newRow("Preset, key 2 held 4.5 s")
        << false << 2 << 4500 << Texts{"#2.1.0.LED=RECALL,2\r\n"} << 0;
    QTest::newRow("Toolbox, key 3")
        << true << 3 << 0 << Texts{"#2.1.0.LED=HUE_UP\r", "#2.1.0.LED=STOP\r\n"} << 0;
    QTest::newRow("Toolbox, key 1")
        << true << 1 << 200 << Texts{"#2.1.0.LED=FADE_UP\r", "#2.1.0.LED=STOP\r"} << 0;
    QTest::newRow("Toolbox, key 3 held 5 s: no beep")
        << true << 3 << 5000 << Texts{"#2.1.0.LED=HUE_UP\r", "#2.1.0.LED=STOP\r"} << 0;
    QTest::newRow("Toolbox, back to Preset") << true << preset << 0 << Texts{} << 0;
    QTest::newRow("On") << false << int(Key::On) << 0 << Texts{"#2.1.0.LED=ON\r"} << 0;
    QTest::newRow("Off held long")
        << true << int(Key::Off) << 7000 << Texts{"#2.1.0.LED=OFF\r"} << 0;
    QTest::newRow("star") << false << int(Key::Star) << 0 << Texts{"#2.1.0.LED=EFFECT,1\r"} << 0;
}

void TestVirtualKeypads::ledKeys() {
    QFETCH(bool, toolbox);
    QFETCH(int, key);
    QFETCH(int, holdMs);
    QFETCH(int, beeps);

    CGuiHarness harness;
    auto pad = ledKeypad(harness);
    CKeypadProbe probe(pad.get());
    QCOMPARE(pad->mode(), vorel::keypad::Mode::Preset);
    if (toolbox) {
        CKeypadProbe::click(pad->key(Key::Toolbox));
        QCOMPARE(pad->mode(), vorel::keypad::Mode::Toolbox);
    }
    CmyButton* button = pad->key(static_cast<Key>(key));
    CKeypadProbe::press(button);
    probe.time.advance(std::chrono::milliseconds(holdMs));
    QCOMPARE(probe.beeps, beeps);  // the beep comes at five seconds, before the release
    CKeypadProbe::release(button);

    QTEST(probe.texts(), "expected");
    QCOMPARE(probe.beeps, beeps);
    for (const CKeypadProbe::Sent& sent : probe.sent) {
        QCOMPARE(sent.first, kBroadcast);
    }
    if (key == int(Key::Preset)) {
        QCOMPARE(pad->mode(), vorel::keypad::Mode::Preset);
    }
}

void TestVirtualKeypads::ledEffectsAndSliders() {
    CGuiHarness harness;
    auto pad = ledKeypad(harness);
    CKeypadProbe probe(pad.get());
    for (int number = 1; number <= 6; ++number) {
        namedChild<QPushButton>(*pad, QStringLiteral("effect%1").arg(number))->click();
    }
    namedChild<QPushButton>(*pad, "effect0")->click();
    QCOMPARE(probe.takeTexts(),
             (Texts{"#2.1.0.LED=EFFECT,1\r", "#2.1.0.LED=EFFECT,2\r", "#2.1.0.LED=EFFECT,3\r",
                    "#2.1.0.LED=EFFECT,4\r", "#2.1.0.LED=EFFECT,5\r", "#2.1.0.LED=EFFECT,6\r",
                    "#2.1.0.LED=STOP\r"}));

    // Blank until a level is known; moving a slider shows the level at once; only letting
    // go of it sends.
    CmySlider* fade = pad->slider(LedLevel::Fade);
    QCOMPARE(valueBox(*pad, LedLevel::Fade)->text(), QString());
    QCOMPARE(valueBox(*pad, LedLevel::Cct)->text(), QString());
    fade->resize(300, 30);
    fade->setValue(120);
    QCOMPARE(valueBox(*pad, LedLevel::Fade)->text(), QStringLiteral("50%"));
    QVERIFY(probe.sent.isEmpty());
    CKeypadProbe::mouse(fade, QEvent::MouseButtonPress, handleAt(fade, 120));
    CKeypadProbe::mouse(fade, QEvent::MouseButtonRelease, handleAt(fade, 120));
    QCOMPARE(probe.takeTexts(), Texts{"#2.1.0.LED=SET,120\r"});

    CmySlider* cct = pad->slider(LedLevel::Cct);
    cct->resize(300, 30);
    cct->setValue(6500);
    CKeypadProbe::mouse(cct, QEvent::MouseButtonPress, handleAt(cct, 6500));
    CKeypadProbe::mouse(cct, QEvent::MouseButtonRelease, handleAt(cct, 6500));
    QCOMPARE(probe.takeTexts(), Texts{"#2.1.0.LED=CCT,6500\r"});
    QCOMPARE(valueBox(*pad, LedLevel::Cct)->text(), QStringLiteral("6500"));
    QCOMPARE(pad->selectedSlider(), cct);
}

void TestVirtualKeypads::ledStatusMovesSlidersAndSendsNothing() {
    CGuiHarness harness;
    auto pad = ledKeypad(harness, {3, 4, 0});
    CKeypadProbe probe(pad.get());
    pad->OnKeypadStatus("!3.4.9.LED.COLOR=120.240.60");
    QCOMPARE(pad->slider(LedLevel::Hue)->value(), 120);
    QCOMPARE(valueBox(*pad, LedLevel::Hue)->text(), QStringLiteral("50%"));
    QCOMPARE(valueBox(*pad, LedLevel::Saturation)->text(), QStringLiteral("100%"));
    QCOMPARE(valueBox(*pad, LedLevel::Fade)->text(), QStringLiteral("25%"));
    pad->OnKeypadStatus("!3.4.1.LED.VALUE=10.20;\r\n");
    QCOMPARE(pad->slider(LedLevel::Red)->value(), 10);
    QCOMPARE(pad->slider(LedLevel::Green)->value(), 20);
    pad->OnKeypadStatus("!3.4.1.LED.STATUS=100.4000");
    QCOMPARE(valueBox(*pad, LedLevel::Cct)->text(), QStringLiteral("4000"));
    QVERIFY(probe.sent.isEmpty());

    auto node = ledKeypad(harness, {3, 4, 2});
    node->OnKeypadStatus("!3.4.9.LED.COLOR=120.240.60");
    QCOMPARE(node->slider(LedLevel::Hue)->value(), 0);

    // Every box shows all of its value, "100%" and "9000" too, in the narrowest window.
    pad->OnKeypadStatus("!3.4.1.LED.STATUS=240.9000");
    pad->show();
    pad->resize(pad->minimumSizeHint());
    QVERIFY(QTest::qWaitForWindowExposed(pad.get()));
    for (const LedLevel level : CLedLevels::kAll) {
        const QLineEdit* box = valueBox(*pad, level);
        const int frame = 2 * box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box);
        // QLineEdit keeps 2 pixels beside the text on either side.
        QVERIFY2(box->fontMetrics().horizontalAdvance(box->text()) <= box->width() - frame - 4,
                 qPrintable(box->text()));
    }
    QCOMPARE(valueBox(*pad, LedLevel::Cct)->text(), QStringLiteral("9000"));
    QCOMPARE(valueBox(*pad, LedLevel::Sun)->text(), QStringLiteral("100%"));
}

void TestVirtualKeypads::addressBox_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("byEnter");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<Texts>("sent");
    QTest::addColumn<int>("beeps");

    QTest::newRow("two parts, applied right before the send")
        << "3.4" << false << "3.4.0" << Texts{"#3.4.0.LED=ON\r"} << 0;
    QTest::newRow("two parts, Enter") << "3.4" << true << "3.4.0" << Texts{"#3.4.0.LED=ON\r"} << 0;
    QTest::newRow("a part above 255 is refused") << "300.1.1" << false << "2.1.0" << Texts{} << 1;
    QTest::newRow("refused on Enter, the old address stays")
        << "300.1.1" << true << "2.1.0" << Texts{"#2.1.0.LED=ON\r"} << 1;
    QTest::newRow("negative") << "-1.1.1" << false << "2.1.0" << Texts{} << 1;
    QTest::newRow("huge") << "99999999999999.1.1" << false << "2.1.0" << Texts{} << 1;
    QTest::newRow("words read as 0")
        << "5.x.7" << false << "5.0.7" << Texts{"#5.0.7.LED=ON\r"} << 0;
}

void TestVirtualKeypads::addressBox() {
    QFETCH(QString, typed);
    QFETCH(bool, byEnter);
    QFETCH(int, beeps);

    CGuiHarness harness;
    auto pad = ledKeypad(harness);
    CKeypadProbe probe(pad.get());
    QSignalSpy closed(pad.get(), &CKeypadWindow::childClosed);
    // Typed while the keys never take the focus: no focus change tells the box.
    namedChild<CKeypadAddressBox>(*pad, "address")->setText(typed);
    if (byEnter) {
        // Enter in the box applies the address; it does not close the keypad.
        QTest::keyClick(namedChild<CKeypadAddressBox>(*pad, "address"), Qt::Key_Return);
        QCOMPARE(closed.size(), 0);
    }
    CKeypadProbe::click(pad->key(Key::On));

    QTEST(namedChild<CKeypadAddressBox>(*pad, "address")->text(), "shown");
    QTEST(probe.texts(), "sent");
    QCOMPARE(probe.beeps, beeps);
}

void TestVirtualKeypads::targetList() {
    CGuiHarness harness;
    harness.fixture().receive({CGuiHarness::line("10.0.0.7", "!NAME=Hall;"),
                               CGuiHarness::line("10.0.0.8", "!DHCP=ENABLE;"),
                               CGuiHarness::line("10.0.0.9", "!NAME=atrium;")});
    auto pad = ledKeypad(harness);
    CKeypadProbe probe(pad.get());
    CKeypadTargetList* list = namedChild<CKeypadTargetList>(*pad, "targets");
    QCOMPARE(entriesOf(list), (QStringList{"atrium (..009)", "Broadcast (UDP)", "Hall (..007)"}));
    // The first entry is the one chosen at opening, as sorted.
    QCOMPARE(list->currentIndex(), 0);
    CKeypadProbe::click(pad->key(Key::On));
    QCOMPARE(probe.sent.at(0).first, CIpv4Address::fromDotted("10.0.0.9"));

    harness.fixture().receive({CGuiHarness::line("10.0.0.3", "!NAME=Zed;")});
    list->refill();
    list->refill();
    QCOMPARE(entriesOf(list),
             (QStringList{"atrium (..009)", "Broadcast (UDP)", "Hall (..007)", "Zed (..003)"}));
    list->setCurrentIndex(1);
    CKeypadProbe::click(pad->key(Key::Off));
    QCOMPARE(probe.sent.at(1).first, kBroadcast);

    // In TCP mode only the gateway of the kept connection is offered.
    harness.transport().setMode(CTransport::kModeTcp);
    harness.transport().setDefaultIp(CIpv4Address::fromDotted("10.0.0.7"));
    list->refill();
    QCOMPARE(entriesOf(list), (QStringList{"Broadcast (UDP)", "Hall (..007)"}));
    harness.transport().setMode(CTransport::kModeUdp);
}

void TestVirtualKeypads::ledKeyboard() {
    CGuiHarness harness;
    auto pad = ledKeypad(harness);
    CKeypadProbe probe(pad.get());
    QVERIFY(pad->key(Key::Key1)->toolTip().isEmpty());
    QVERIFY(pad->key(Key::Key1)->parentWidget()->toolTip().contains(QStringLiteral("Space")));

    // A digit holds its key for as long as it is held; the key's repeats count once.
    CKeypadProbe::key(pad.get(), QEvent::KeyPress, Qt::Key_3);
    QVERIFY(pad->key(Key::Key3)->isDown());
    probe.time.advance(3s);
    CKeypadProbe::key(pad.get(), QEvent::KeyRelease, Qt::Key_3, true);
    CKeypadProbe::key(pad.get(), QEvent::KeyPress, Qt::Key_3, true);
    probe.time.advance(3s);
    QCOMPARE(probe.beeps, 1);
    CKeypadProbe::key(pad.get(), QEvent::KeyRelease, Qt::Key_3);
    QVERIFY(!pad->key(Key::Key3)->isDown());
    QCOMPARE(probe.takeTexts(), Texts{"#2.1.0.LED=STORE,3\r"});

    CKeypadProbe::tap(pad.get(), Qt::Key_Space);
    CKeypadProbe::tap(pad.get(), Qt::Key_Space);
    CKeypadProbe::tap(pad.get(), Qt::Key_Space);
    QCOMPARE(probe.takeTexts(), (Texts{"#2.1.0.LED=ON\r", "#2.1.0.LED=OFF\r", "#2.1.0.LED=ON\r"}));

    // The arrows move the selected slider (FADE at first) and send it when let go.
    QCOMPARE(pad->selectedSlider(), pad->slider(LedLevel::Fade));
    for (int repeat = 0; repeat < 3; ++repeat) {
        CKeypadProbe::key(pad.get(), QEvent::KeyPress, Qt::Key_Right, repeat > 0);
    }
    QCOMPARE(valueBox(*pad, LedLevel::Fade)->text(), QStringLiteral("1%"));
    QVERIFY(probe.sent.isEmpty());
    CKeypadProbe::key(pad.get(), QEvent::KeyRelease, Qt::Key_Right);
    QCOMPARE(probe.takeTexts(), Texts{"#2.1.0.LED=SET,3\r"});
    pad->selectSlider(pad->slider(LedLevel::Hue));
    CKeypadProbe::tap(pad.get(), Qt::Key_Down);
    QCOMPARE(probe.takeTexts(), Texts{"#2.1.0.LED=HUE,0\r"});

    // Going away while a key is held lets go of it: no ramp is left running.
    CKeypadProbe::click(pad->key(Key::Toolbox));
    CKeypadProbe::key(pad.get(), QEvent::KeyPress, Qt::Key_1);
    QSignalSpy closed(pad.get(), &CKeypadWindow::childClosed);
    CKeypadProbe::tap(pad.get(), Qt::Key_Escape);
    QCOMPARE(probe.takeTexts(), (Texts{"#2.1.0.LED=FADE_UP\r", "#2.1.0.LED=STOP\r"}));
    QCOMPARE(closed.size(), 1);
    QCOMPARE(closed.at(0).at(0).toInt(), int(vorel::umw::kLedKeypad));
}

void TestVirtualKeypads::basicKeypad() {
    Cvpad_basic pad;
    CKeypadProbe probe(&pad);
    QCOMPARE(pad.windowTitle(), QStringLiteral("Tavo A"));
    QCOMPARE(namedChild<CKeypadAddressBox>(pad, "address")->text(), QStringLiteral("2.1.0"));
    CKeypadProbe::click(pad.key(Key::Key6));
    CKeypadProbe::click(pad.key(Key::Toolbox));
    CKeypadProbe::press(pad.key(Key::Key4));
    probe.time.advance(2s);
    CKeypadProbe::release(pad.key(Key::Key4));
    namedChild<CKeypadAddressBox>(pad, "address")->setText(QStringLiteral("300.1.1"));
    CKeypadProbe::click(pad.key(Key::On));
    namedChild<CKeypadAddressBox>(pad, "address")->setText(QStringLiteral("-1.1.1"));
    CKeypadProbe::click(pad.key(Key::Off));

    QCOMPARE(probe.texts(), (Texts{"#2.1.0.LED=RECALL,6", "#2.1.0.LED=FADE_DOWN", "#2.1.0.LED=STOP",
                                   "#300.1.1.LED=ON"}));
    QCOMPARE(namedChild<CKeypadAddressBox>(pad, "address")->text(), QStringLiteral("300.1.1"));
    QCOMPARE(probe.beeps, 1);
    for (const CKeypadProbe::Sent& sent : probe.sent) {
        QCOMPARE(sent.first, kBroadcast);
    }
}

void TestVirtualKeypads::motorKeysAndBank() {
    CGuiHarness harness;
    auto pad = motorKeypad(harness);
    CKeypadProbe probe(pad.get());
    QCOMPARE(pad->windowTitle(), QStringLiteral("Tavo MX"));
    QCOMPARE(namedChild<CKeypadAddressBox>(*pad, "address")->text(), QStringLiteral("1.1.1"));
    QCOMPARE(
        namedChild<QLabel>(*pad, "column0")->text() + namedChild<QLabel>(*pad, "column1")->text(),
        QStringLiteral("AB"));
    CKeypadProbe::press(pad->key(Key::LeftUp));
    QVERIFY(probe.sent.isEmpty());  // nothing at a press
    CKeypadProbe::release(pad->key(Key::LeftUp));
    CKeypadProbe::click(pad->key(Key::Star));
    QCOMPARE(
        namedChild<QLabel>(*pad, "column0")->text() + namedChild<QLabel>(*pad, "column1")->text(),
        QStringLiteral("CD"));
    CKeypadProbe::click(pad->key(Key::RightUp));
    CKeypadProbe::click(pad->key(Key::LeftDown));

    // A double click on "*": release, double click, release. The bank ends as it was.
    CmyButton* star = pad->key(Key::Star);
    CKeypadProbe::press(star);
    CKeypadProbe::release(star);
    CKeypadProbe::mouse(star, QEvent::MouseButtonDblClick);
    CKeypadProbe::release(star);
    QCOMPARE(pad->bank(), 1);

    CKeypadProbe::press(pad->key(Key::Key3));
    probe.time.advance(5s);
    QCOMPARE(probe.beeps, 1);
    CKeypadProbe::release(pad->key(Key::Key3));
    CKeypadProbe::press(pad->key(Key::Key3));
    probe.time.advance(2s);
    CKeypadProbe::release(pad->key(Key::Key3));
    namedChild<QPushButton>(*pad, "stop")->click();
    CKeypadProbe::tap(pad.get(), Qt::Key_Space);

    QCOMPARE(probe.texts(),
             (Texts{"#1.1.1.MOTOR=UP\r", "#1.1.4.MOTOR=UP\r", "#1.1.3.MOTOR=DOWN\r",
                    "#1.1.0.MOTOR=RETRACT\r", "#1.1.0.MOTOR=STORE,3\r", "#1.1.0.MOTOR=RECALL,3\r",
                    "#1.1.0.MOTOR=STOP\r", "#1.1.0.MOTOR=STOP\r"}));
}

void TestVirtualKeypads::motorSlidersHaveZeroAtTheTop() {
    CGuiHarness harness;
    auto pad = motorKeypad(harness);
    CKeypadProbe probe(pad.get());
    CmySlider* screen =
        namedChild<CmySlider>(*pad, QStringLiteral("slider%1").arg(CMotorKeypad::kFirstSlider));
    CmySlider* mask =
        namedChild<CmySlider>(*pad, QStringLiteral("slider%1").arg(CMotorKeypad::kSecondSlider));
    screen->resize(30, 300);
    QCOMPARE(screen->value(), 0);
    // No position is shown before the motor reports one or the user sets one.
    QCOMPARE(namedChild<QLineEdit>(*pad, "position0")->text(), QString());
    QVERIFY(handleAt(screen, 0).y() < handleAt(screen, 10000).y());

    // A click on the track above the thumb moves it up, towards 0 %, and sends that.
    screen->setValue(5000);
    const int above = (handleAt(screen, 0).y() + handleAt(screen, 5000).y()) / 2;
    CKeypadProbe::mouse(screen, QEvent::MouseButtonPress, {screen->width() / 2, above});
    CKeypadProbe::mouse(screen, QEvent::MouseButtonRelease, {screen->width() / 2, above});
    QVERIFY(screen->value() < 5000);
    QCOMPARE(probe.takeTexts(), Texts{CKeypadCommands::motorGoto({1, 1, 1}, screen->value())});

    // Down arrow: the thumb goes down, to 100 %.
    pad->selectSlider(mask);
    mask->setValue(9900);
    CKeypadProbe::tap(pad.get(), Qt::Key_Down);
    QCOMPARE(mask->value(), 10000);
    QCOMPARE(namedChild<QLineEdit>(*pad, "position1")->text(), QStringLiteral("100.00%"));
    CKeypadProbe::tap(pad.get(), Qt::Key_Up);
    QCOMPARE(probe.takeTexts(), (Texts{"#1.1.2.MOTOR=GOTO,100.00\r", "#1.1.2.MOTOR=GOTO,99.00\r"}));
}

void TestVirtualKeypads::motorStatus() {
    CGuiHarness harness;
    auto pad = motorKeypad(harness);
    CKeypadProbe probe(pad.get());
    pad->OnKeypadStatus("!1.1.2.MOTOR.POSITION=37.5\r\n");
    QCOMPARE(namedChild<CmySlider>(*pad, "slider1")->value(), 3750);
    QCOMPARE(namedChild<QLineEdit>(*pad, "position1")->text(), QStringLiteral("37.50%"));
    QCOMPARE(namedChild<QLineEdit>(*pad, "position0")->text(), QString());
    pad->OnKeypadStatus("!2.1.1.MOTOR.POSITION=50.00");
    QCOMPARE(namedChild<CmySlider>(*pad, "slider0")->value(), 0);

    // The sliders follow the keypad's own nodes.
    namedChild<CKeypadAddressBox>(*pad, "address")->setText(QStringLiteral("1.1.3"));
    QTest::keyClick(namedChild<CKeypadAddressBox>(*pad, "address"), Qt::Key_Return);
    pad->OnKeypadStatus("!1.1.3.MOTOR.POSITION=12.34");
    pad->OnKeypadStatus("!1.1.1.MOTOR.POSITION=99.00");
    QCOMPARE(namedChild<CmySlider>(*pad, "slider0")->value(), 1234);
    QCOMPARE(namedChild<CmySlider>(*pad, "slider1")->value(), 3750);
    QVERIFY(probe.sent.isEmpty());
}

// Typing an address never presses a keypad key, not even the arrows that move the cursor;
// Enter takes the address and Esc takes back the typing, and neither closes the keypad;
// the value boxes never take the focus. Away from the box, Esc closes it.
void TestVirtualKeypads::textBoxesKeepTheirKeys_data() {
    QTest::addColumn<bool>("motor");
    QTest::addColumn<QString>("valueBox");
    QTest::newRow("LED") << false << "value0";
    QTest::newRow("motor") << true << "position0";
}

void TestVirtualKeypads::textBoxesKeepTheirKeys() {
    QFETCH(bool, motor);
    QFETCH(QString, valueBox);
    CGuiHarness harness;
    std::unique_ptr<CKeypadWindow> pad = motorOrLedKeypad(harness, motor);
    CKeypadProbe probe(pad.get());
    QSignalSpy closed(pad.get(), &CKeypadWindow::childClosed);
    pad->show();
    QVERIFY(QTest::qWaitForWindowActive(pad.get()));
    auto* box = namedChild<CKeypadAddressBox>(*pad, "address");
    box->setFocus();
    box->selectAll();

    QTest::keyClicks(box, QStringLiteral("50.25"));
    for (const Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Space, Qt::Key_Backspace}) {
        QTest::keyClick(box, key);
    }
    QTest::keyClick(box, Qt::Key_Escape);

    QVERIFY(probe.sent.isEmpty());
    for (int key = 1; key <= 6; ++key) {
        QVERIFY(!pad->key(static_cast<Key>(key))->isDown());
    }
    QCOMPARE(box->text(), motor ? QStringLiteral("1.1.1") : QStringLiteral("2.1.0"));
    QVERIFY(pad->isVisible());
    box->setText(QStringLiteral("5.0.2"));
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(box->text(), QStringLiteral("5.0.2"));
    QVERIFY(pad->isVisible());
    QCOMPARE(closed.size(), 0);
    QVERIFY(probe.sent.isEmpty());

    auto* value = namedChild<QLineEdit>(*pad, valueBox);
    QVERIFY(value->isReadOnly());
    QCOMPARE(value->focusPolicy(), Qt::NoFocus);
    QCOMPARE(value->palette().color(QPalette::Base), value->palette().color(QPalette::Window));

    // Enter gave the keys back to the keypad.
    QCOMPARE(QApplication::focusWidget(), pad.get());
    QTest::keyClick(pad.get(), Qt::Key_Escape);
    QCOMPARE(closed.size(), 1);
}

// A command that hears no status within a second says so in the keypad's status line, on
// the keypad's clock; a status in time says nothing, and a late one clears the line.
void TestVirtualKeypads::silenceIsSaid_data() {
    QTest::addColumn<bool>("motor");
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<QString>("silence");
    QTest::newRow("LED") << false << QByteArray("!2.1.1.LED.VALUE=10.20.30")
                         << "No light at 2.1.0 answered within a second.";
    QTest::newRow("motor") << true << QByteArray("!1.1.1.MOTOR.POSITION=50.00")
                           << "No motor at 1.1.1 answered within a second.";
}

void TestVirtualKeypads::silenceIsSaid() {
    QFETCH(bool, motor);
    QFETCH(QByteArray, status);
    QFETCH(QString, silence);
    CGuiHarness harness;
    std::unique_ptr<CKeypadWindow> pad = motorOrLedKeypad(harness, motor);
    CKeypadProbe probe(pad.get());
    auto* line = namedChild<QLabel>(*pad, "status");
    const auto send = [&] { CKeypadProbe::tap(pad.get(), Qt::Key_Space); };

    send();
    QVERIFY(!probe.takeTexts().isEmpty());
    probe.time.advance(999ms);
    QCOMPARE(line->text(), QString());
    probe.time.advance(1ms);
    QCOMPARE(line->text(), silence);

    pad->OnKeypadStatus(status);
    QCOMPARE(line->text(), QString());
    send();
    probe.time.advance(500ms);
    pad->OnKeypadStatus(status);
    probe.time.advance(2s);
    QCOMPARE(line->text(), QString());
}

void TestVirtualKeypads::frameOpensEachKeypadOnceAndClosesIt_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("child");
    QTest::addColumn<QString>("caption");
    QTest::newRow("Simple") << int(vorel::cmd::kKeypadSimple) << int(vorel::umw::kBasicKeypad)
                            << "Tavo A";
    QTest::newRow("Lighting") << int(vorel::cmd::kKeypadLighting) << int(vorel::umw::kLedKeypad)
                              << "Tavo LX";
    QTest::newRow("Motor") << int(vorel::cmd::kKeypadMotor) << int(vorel::umw::kMotorKeypad)
                           << "Tavo MX";
}

void TestVirtualKeypads::frameOpensEachKeypadOnceAndClosesIt() {
    QFETCH(int, command);
    QFETCH(int, child);

    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    QVERIFY(frame.isCommandEnabled(command));
    frame.runCommand(command);
    QPointer<QWidget> first = frame.childWindow(child);
    QVERIFY(first != nullptr);
    QTEST(first->windowTitle(), "caption");
    QVERIFY(first->isVisible());
    frame.runCommand(command);
    QCOMPARE(frame.childWindow(child), first.data());

    first->close();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    QVERIFY(!frame.isChildSlotOccupied(child));
    frame.runCommand(command);
    QVERIFY(frame.childWindow(child) != nullptr);
}

void TestVirtualKeypads::motorKeypadMovesWhereTheLedKeypadStarts() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    frame.runCommand(vorel::cmd::kKeypadLighting);
    auto* led = qobject_cast<Cvpad*>(frame.childWindow(vorel::umw::kLedKeypad));
    QCOMPARE(namedChild<CKeypadAddressBox>(*led, "address")->text(), QStringLiteral("2.1.0"));
    led->close();
    QCoreApplication::sendPostedEvents();

    frame.runCommand(vorel::cmd::kKeypadMotor);
    frame.runCommand(vorel::cmd::kKeypadLighting);
    led = qobject_cast<Cvpad*>(frame.childWindow(vorel::umw::kLedKeypad));
    QCOMPARE(namedChild<CKeypadAddressBox>(*led, "address")->text(), QStringLiteral("1.1.1"));
}

QTEST_MAIN(TestVirtualKeypads)
#include "TestVirtualKeypads.moc"
