#include "core/keypads/CLedKeyDispatch.h"
#include "core/keypads/CLedLevels.h"
#include "core/keypads/CLedStatus.h"
#include "core/keypads/CMotorKeypad.h"
#include "core/protocol/CKeypadAddress.h"

#include <QTest>
#include <optional>

using namespace vorel::keypad;
using Endings = CLedKeyDispatch::Endings;
using Outcome = CLedKeyDispatch::Outcome;
using Update = CLedStatus::Update;
using Updates = QList<Update>;
using OptionalAddress = std::optional<CKeypadAddress>;
using OptionalPosition = std::optional<CMotorKeypad::Position>;

Q_DECLARE_METATYPE(Endings)
Q_DECLARE_METATYPE(Mode)
Q_DECLARE_METATYPE(Key)
Q_DECLARE_METATYPE(KeyEvent)
Q_DECLARE_METATYPE(Outcome)
Q_DECLARE_METATYPE(Updates)
Q_DECLARE_METATYPE(OptionalAddress)
Q_DECLARE_METATYPE(OptionalPosition)

namespace {

constexpr Key kAllKeys[] = {Key::Key1,   Key::Key2,    Key::Key3, Key::Key4, Key::Key5, Key::Key6,
                            Key::Preset, Key::Toolbox, Key::On,   Key::Off,  Key::Star};
constexpr KeyEvent kAllEvents[] = {KeyEvent::Pressed, KeyEvent::ShortRelease, KeyEvent::LongRelease,
                                   KeyEvent::Held, KeyEvent::DoubleClick};

Outcome send(const char* text) {
    return {QByteArray(text), false, std::nullopt};
}

}  // namespace

// The keypads' decisions: what each key does in each mode, how addresses are read, what
// status lines move, the motor keypad's nodes and positions.
class TestKeypadLogic : public QObject {
    Q_OBJECT

private slots:
    void ledKeys_data();
    void ledKeys();
    void basicKeypadSendsTheLedTextsWithoutTerminator();
    void addresses_data();
    void addresses();
    void ledStatus_data();
    void ledStatus();
    void valueTexts();
    void motorKeys();
    void motorStatus_data();
    void motorStatus();
};

void TestKeypadLogic::ledKeys_data() {
    QTest::addColumn<Endings>("endings");
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<Key>("key");
    QTest::addColumn<KeyEvent>("event");
    QTest::addColumn<Outcome>("expected");
    const auto led = [](const char* name, Mode mode, Key key, KeyEvent event,
                        const Outcome& outcome) {
        QTest::newRow(name) << Endings::LedKeypad << mode << key << event << outcome;
    };
    const Mode t = Mode::Toolbox;
    const Mode p = Mode::Preset;
    led("T key 1 pressed", t, Key::Key1, KeyEvent::Pressed, send("#2.1.0.LED=FADE_UP\r"));
    led("T key 2 pressed", t, Key::Key2, KeyEvent::Pressed, send("#2.1.0.LED=SAT_UP\r"));
    led("T key 3 pressed", t, Key::Key3, KeyEvent::Pressed, send("#2.1.0.LED=HUE_UP\r"));
    led("T key 4 pressed", t, Key::Key4, KeyEvent::Pressed, send("#2.1.0.LED=FADE_DOWN\r"));
    led("T key 5 pressed", t, Key::Key5, KeyEvent::Pressed, send("#2.1.0.LED=SAT_DOWN\r"));
    led("T key 6 pressed", t, Key::Key6, KeyEvent::Pressed, send("#2.1.0.LED=HUE_DOWN\r"));
    led("T key 1 short", t, Key::Key1, KeyEvent::ShortRelease, send("#2.1.0.LED=STOP\r"));
    led("T key 3 short ends CR LF", t, Key::Key3, KeyEvent::ShortRelease,
        send("#2.1.0.LED=STOP\r\n"));
    led("T key 3 long ends CR", t, Key::Key3, KeyEvent::LongRelease, send("#2.1.0.LED=STOP\r"));
    led("T key 6 long", t, Key::Key6, KeyEvent::LongRelease, send("#2.1.0.LED=STOP\r"));
    led("T key 2 held: nothing", t, Key::Key2, KeyEvent::Held, {});
    led("P key 2 pressed: nothing", p, Key::Key2, KeyEvent::Pressed, {});
    led("P key 2 short recalls", p, Key::Key2, KeyEvent::ShortRelease,
        send("#2.1.0.LED=RECALL,2\r\n"));
    led("P key 6 short recalls", p, Key::Key6, KeyEvent::ShortRelease,
        send("#2.1.0.LED=RECALL,6\r\n"));
    led("P key 2 long stores", p, Key::Key2, KeyEvent::LongRelease, send("#2.1.0.LED=STORE,2\r"));
    led("P key 5 held beeps", p, Key::Key5, KeyEvent::Held, {{}, true, std::nullopt});
    led("T Preset changes mode", t, Key::Preset, KeyEvent::ShortRelease, {{}, false, p});
    led("P Preset keeps it", p, Key::Preset, KeyEvent::LongRelease, {{}, false, p});
    led("P Toolbox changes mode", p, Key::Toolbox, KeyEvent::ShortRelease, {{}, false, t});
    led("T Toolbox pressed: nothing yet", t, Key::Toolbox, KeyEvent::Pressed, {});
    led("P On", p, Key::On, KeyEvent::ShortRelease, send("#2.1.0.LED=ON\r"));
    led("T On long", t, Key::On, KeyEvent::LongRelease, send("#2.1.0.LED=ON\r"));
    led("P Off", p, Key::Off, KeyEvent::ShortRelease, send("#2.1.0.LED=OFF\r"));
    led("T star", t, Key::Star, KeyEvent::ShortRelease, send("#2.1.0.LED=EFFECT,1\r"));
    led("P star pressed: nothing", p, Key::Star, KeyEvent::Pressed, {});
    led("P double click: nothing", p, Key::Key1, KeyEvent::DoubleClick, {});
    led("motor key on an LED keypad: nothing", t, Key::LeftUp, KeyEvent::ShortRelease, {});
}

void TestKeypadLogic::ledKeys() {
    QFETCH(Endings, endings);
    QFETCH(Mode, mode);
    QFETCH(Key, key);
    QFETCH(KeyEvent, event);
    QFETCH(Outcome, expected);
    const Outcome outcome = CLedKeyDispatch::dispatch(endings, mode, key, event, {2, 1, 0});
    QCOMPARE(outcome.command, expected.command);
    QCOMPARE(outcome.beep, expected.beep);
    QCOMPARE(outcome.mode, expected.mode);
}

void TestKeypadLogic::basicKeypadSendsTheLedTextsWithoutTerminator() {
    for (const Mode mode : {Mode::Toolbox, Mode::Preset}) {
        for (const Key key : kAllKeys) {
            for (const KeyEvent event : kAllEvents) {
                const CKeypadAddress address{300, 1, 1};
                Outcome led =
                    CLedKeyDispatch::dispatch(Endings::LedKeypad, mode, key, event, address);
                const Outcome basic =
                    CLedKeyDispatch::dispatch(Endings::None, mode, key, event, address);
                while (led.command.endsWith('\r') || led.command.endsWith('\n')) {
                    led.command.chop(1);
                }
                QCOMPARE(basic, led);
            }
        }
    }
    QCOMPARE(CLedKeyDispatch::dispatch(Endings::None, Mode::Preset, Key::Key6,
                                       KeyEvent::ShortRelease, {2, 1, 0})
                 .command,
             QByteArray("#2.1.0.LED=RECALL,6"));
}

void TestKeypadLogic::addresses_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<OptionalAddress>("box");
    QTest::addColumn<OptionalAddress>("wideBox");
    const auto row = [](const char* text, OptionalAddress box, OptionalAddress wide) {
        QTest::newRow(text) << QByteArray(text) << box << wide;
    };
    row("2.1.0", CKeypadAddress{2, 1, 0}, CKeypadAddress{2, 1, 0});
    row("3.4", CKeypadAddress{3, 4, 0}, CKeypadAddress{3, 4, 0});
    row("", CKeypadAddress{}, CKeypadAddress{});
    row("3.x.9", CKeypadAddress{3, 0, 9}, CKeypadAddress{3, 0, 9});
    row(" 7.8 .9z", CKeypadAddress{7, 8, 9}, CKeypadAddress{7, 8, 9});
    row("1.2.3.4", CKeypadAddress{1, 2, 3}, CKeypadAddress{1, 2, 3});
    row("255.255.255", CKeypadAddress{255, 255, 255}, CKeypadAddress{255, 255, 255});
    row("300.1.1", std::nullopt, CKeypadAddress{300, 1, 1});
    row("1.256.1", std::nullopt, CKeypadAddress{1, 256, 1});
    row("-1.1.1", std::nullopt, std::nullopt);
    row("1.1.-0", CKeypadAddress{1, 1, 0}, CKeypadAddress{1, 1, 0});
    row("99999999999999999999.1.1", std::nullopt, std::nullopt);
    row("2147483646.0.0", std::nullopt, CKeypadAddress{2147483646, 0, 0});
}

void TestKeypadLogic::addresses() {
    QFETCH(QByteArray, text);
    QTEST(CKeypadAddress::parseBox(text), "box");
    QTEST(CKeypadAddress::parseWideBox(text), "wideBox");
}

void TestKeypadLogic::ledStatus_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<CKeypadAddress>("own");
    QTest::addColumn<Updates>("expected");
    const CKeypadAddress group{3, 4, 0};
    QTest::newRow("colour, keypad on the group")
        << QByteArray("!3.4.9.LED.COLOR=120.240.60") << group
        << Updates{{LedLevel::Hue, 120}, {LedLevel::Saturation, 240}, {LedLevel::Fade, 60}};
    QTest::newRow("colour of another node")
        << QByteArray("!3.4.9.LED.COLOR=120.240.60") << CKeypadAddress{3, 4, 2} << Updates{};
    QTest::newRow("own node") << QByteArray("!3.4.2.LED.STATUS=100.3000\r\n")
                              << CKeypadAddress{3, 4, 2}
                              << Updates{{LedLevel::Sun, 100}, {LedLevel::Cct, 3000}};
    QTest::newRow("group line on a node keypad")
        << QByteArray("!3.4.0.LED.STATUS=1.2") << CKeypadAddress{3, 4, 2} << Updates{};
    QTest::newRow("other zone") << QByteArray("!4.4.0.LED.COLOR=1.2.3") << group << Updates{};
    QTest::newRow("other group") << QByteArray("!3.5.0.LED.COLOR=1.2.3") << group << Updates{};
    QTest::newRow("partial value") << QByteArray("!3.4.1.LED.VALUE=10.20;") << group
                                   << Updates{{LedLevel::Red, 10}, {LedLevel::Green, 20}};
    QTest::newRow("full value") << QByteArray("!3.4.1.LED.VALUE=1.2.3.4;\r\n") << group
                                << Updates{{LedLevel::Red, 1},
                                           {LedLevel::Green, 2},
                                           {LedLevel::Blue, 3},
                                           {LedLevel::White, 4}};
    QTest::newRow("extra numbers ignored") << QByteArray("!3.4.1.LED.STATUS=1.2000.3.4") << group
                                           << Updates{{LedLevel::Sun, 1}, {LedLevel::Cct, 2000}};
    QTest::newRow("VALUE wins over COLOR wherever it stands")
        << QByteArray("!3.4.1.LED.COLOR=5.6.7;LED.VALUE=8") << group << Updates{{LedLevel::Red, 8}};
    QTest::newRow("huge numbers are clamped")
        << QByteArray("!3.4.1.LED.COLOR=99999999999999999999999.-7.250") << group
        << Updates{{LedLevel::Hue, 240}, {LedLevel::Saturation, 0}, {LedLevel::Fade, 240}};
    QTest::newRow("cct clamped to its range") << QByteArray("!3.4.1.LED.STATUS=0.99") << group
                                              << Updates{{LedLevel::Sun, 0}, {LedLevel::Cct, 1700}};
    QTest::newRow("words read as 0") << QByteArray("!3.4.1.LED.VALUE=x.7") << group
                                     << Updates{{LedLevel::Red, 0}, {LedLevel::Green, 7}};
    QTest::newRow("empty value") << QByteArray("!3.4.1.LED.VALUE=;") << group << Updates{};
    QTest::newRow("no marker") << QByteArray("!3.4.1.LED.LEVEL=5") << group << Updates{};
    QTest::newRow("several bangs")
        << QByteArray("!!!3.4.1.LED.VALUE=9") << group << Updates{{LedLevel::Red, 9}};
    QTest::newRow("huge address") << QByteArray("!3.99999999999999999999.1.LED.VALUE=9") << group
                                  << Updates{};
}

void TestKeypadLogic::ledStatus() {
    QFETCH(QByteArray, line);
    QFETCH(CKeypadAddress, own);
    QTEST(CLedStatus::updates(line, own), "expected");
}

void TestKeypadLogic::valueTexts() {
    QCOMPARE(CLedLevels::valueText(LedLevel::Fade, 240), QStringLiteral("100%"));
    QCOMPARE(CLedLevels::valueText(LedLevel::Hue, 120), QStringLiteral("50%"));
    QCOMPARE(CLedLevels::valueText(LedLevel::Fade, 60), QStringLiteral("25%"));
    QCOMPARE(CLedLevels::valueText(LedLevel::Red, 0), QStringLiteral("0%"));
    QCOMPARE(CLedLevels::valueText(LedLevel::Cct, 3000), QStringLiteral("3000"));
    QCOMPARE(CMotorKeypad::positionText(3750), QStringLiteral("37.50%"));
    QCOMPARE(CMotorKeypad::positionText(7), QStringLiteral("0.07%"));
    QCOMPARE(CMotorKeypad::positionText(10000), QStringLiteral("100.00%"));
}

void TestKeypadLogic::motorKeys() {
    CMotorKeypad pad({1, 1, 1});
    using O = CMotorKeypad::Outcome;
    QCOMPARE(pad.onKey(Key::LeftUp, KeyEvent::Pressed), O{});
    QCOMPARE(pad.onKey(Key::LeftUp, KeyEvent::ShortRelease), O{"#1.1.1.MOTOR=UP\r"});
    QCOMPARE(pad.onKey(Key::RightDown, KeyEvent::LongRelease), O{"#1.1.2.MOTOR=DOWN\r"});
    QCOMPARE(pad.leftLabel() + pad.rightLabel(), QStringLiteral("AB"));
    QCOMPARE(pad.onKey(Key::Star, KeyEvent::ShortRelease), O{});
    QCOMPARE(pad.bank(), 1);
    QCOMPARE(pad.leftLabel() + pad.rightLabel(), QStringLiteral("CD"));
    QCOMPARE(pad.onKey(Key::RightUp, KeyEvent::ShortRelease), O{"#1.1.4.MOTOR=UP\r"});
    QCOMPARE(pad.onKey(Key::LeftDown, KeyEvent::ShortRelease), O{"#1.1.3.MOTOR=DOWN\r"});
    // A double click: release, double click, release. The bank ends as it was.
    QCOMPARE(pad.onKey(Key::Star, KeyEvent::ShortRelease), O{});
    QCOMPARE(pad.onKey(Key::Star, KeyEvent::DoubleClick), O{"#1.1.0.MOTOR=RETRACT\r"});
    QCOMPARE(pad.onKey(Key::Star, KeyEvent::ShortRelease), O{});
    QCOMPARE(pad.bank(), 1);
    QCOMPARE(pad.onKey(Key::Key3, KeyEvent::Pressed), O{});
    QCOMPARE(pad.onKey(Key::Key3, KeyEvent::Held), (O{{}, true}));
    QCOMPARE(pad.onKey(Key::Key3, KeyEvent::LongRelease), O{"#1.1.0.MOTOR=STORE,3\r"});
    QCOMPARE(pad.onKey(Key::Key3, KeyEvent::ShortRelease), O{"#1.1.0.MOTOR=RECALL,3\r"});
    QCOMPARE(pad.stopCommand(), QByteArray("#1.1.0.MOTOR=STOP\r"));
    QCOMPARE(pad.gotoCommand(CMotorKeypad::kSecondSlider, 10000),
             QByteArray("#1.1.2.MOTOR=GOTO,100.00\r"));
    pad.setAddress({1, 2, 3});
    QCOMPARE(pad.gotoCommand(CMotorKeypad::kFirstSlider, 5025),
             QByteArray("#1.2.3.MOTOR=GOTO,50.25\r"));
}

void TestKeypadLogic::motorStatus_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<CKeypadAddress>("base");
    QTest::addColumn<OptionalPosition>("expected");
    using P = CMotorKeypad::Position;
    const CKeypadAddress base{1, 1, 1};
    QTest::newRow("one decimal is tenths")
        << QByteArray("!1.1.2.MOTOR.POSITION=37.5") << base << OptionalPosition(P{1, 3750});
    QTest::newRow("two decimals") << QByteArray("!1.1.1.MOTOR.POSITION=37.05\r\n") << base
                                  << OptionalPosition(P{0, 3705});
    QTest::newRow("more decimals are cut")
        << QByteArray("!1.1.1.MOTOR.POSITION=37.567") << base << OptionalPosition(P{0, 3756});
    QTest::newRow("whole number") << QByteArray("!1.1.1.MOTOR.POSITION=40;") << base
                                  << OptionalPosition(P{0, 4000});
    QTest::newRow("beyond the end") << QByteArray("!1.1.1.MOTOR.POSITION=99999999999999.9") << base
                                    << OptionalPosition(P{0, 10000});
    QTest::newRow("negative") << QByteArray("!1.1.1.MOTOR.POSITION=-5.5") << base
                              << OptionalPosition(P{0, 0});
    QTest::newRow("a word") << QByteArray("!1.1.1.MOTOR.POSITION=HALF") << base
                            << OptionalPosition(P{0, 0});
    QTest::newRow("other zone") << QByteArray("!2.1.2.MOTOR.POSITION=37.5") << base
                                << OptionalPosition();
    QTest::newRow("other group") << QByteArray("!1.2.2.MOTOR.POSITION=37.5") << base
                                 << OptionalPosition();
    QTest::newRow("node of no slider")
        << QByteArray("!1.1.3.MOTOR.POSITION=37.5") << base << OptionalPosition();
    QTest::newRow("base 1.1.3: node 3 is the first slider")
        << QByteArray("!1.1.3.MOTOR.POSITION=12.34") << CKeypadAddress{1, 1, 3}
        << OptionalPosition(P{0, 1234});
    QTest::newRow("base 1.1.3: node 4 is the second slider")
        << QByteArray("!1.1.4.MOTOR.POSITION=12.34") << CKeypadAddress{1, 1, 3}
        << OptionalPosition(P{1, 1234});
    QTest::newRow("base 1.1.3: node 1 is no slider")
        << QByteArray("!1.1.1.MOTOR.POSITION=12.34") << CKeypadAddress{1, 1, 3}
        << OptionalPosition();
    QTest::newRow("no position") << QByteArray("!1.1.1.MOTOR.MODE=FRONT") << base
                                 << OptionalPosition();
}

void TestKeypadLogic::motorStatus() {
    QFETCH(QByteArray, line);
    QFETCH(CKeypadAddress, base);
    QTEST(CMotorKeypad(base).status(line), "expected");
}

QTEST_APPLESS_MAIN(TestKeypadLogic)
#include "TestKeypadLogic.moc"
