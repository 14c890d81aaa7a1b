#include "core/protocol/CKeypadCommands.h"

#include <QTest>

using vorel::keypad::LedLevel;
using Action = CKeypadCommands::LedAction;
using Motor = CKeypadCommands::MotorAction;
using End = CKeypadCommands::Terminator;

// The keypads' texts byte for byte, terminators included.
class TestKeypadCommands : public QObject {
    Q_OBJECT

private slots:
    void texts_data();
    void texts();
};

void TestKeypadCommands::texts_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");
    const CKeypadAddress a{2, 1, 0};
    const auto row = [](const char* name, const QByteArray& text, const char* expected) {
        QTest::newRow(name) << text << QByteArray(expected);
    };
    row("fade up", CKeypadCommands::led(a, Action::FadeUp, {}, End::Cr), "#2.1.0.LED=FADE_UP\r");
    row("sat up", CKeypadCommands::led(a, Action::SatUp, {}, End::Cr), "#2.1.0.LED=SAT_UP\r");
    row("hue up", CKeypadCommands::led(a, Action::HueUp, {}, End::Cr), "#2.1.0.LED=HUE_UP\r");
    row("fade down", CKeypadCommands::led(a, Action::FadeDown, {}, End::Cr),
        "#2.1.0.LED=FADE_DOWN\r");
    row("sat down", CKeypadCommands::led(a, Action::SatDown, {}, End::Cr), "#2.1.0.LED=SAT_DOWN\r");
    row("hue down", CKeypadCommands::led(a, Action::HueDown, {}, End::Cr), "#2.1.0.LED=HUE_DOWN\r");
    row("stop CR", CKeypadCommands::led(a, Action::Stop, {}, End::Cr), "#2.1.0.LED=STOP\r");
    row("stop CR LF", CKeypadCommands::led(a, Action::Stop, {}, End::CrLf), "#2.1.0.LED=STOP\r\n");
    row("recall", CKeypadCommands::led(a, Action::Recall, 2, End::CrLf), "#2.1.0.LED=RECALL,2\r\n");
    row("store", CKeypadCommands::led(a, Action::Store, 6, End::Cr), "#2.1.0.LED=STORE,6\r");
    row("on", CKeypadCommands::led(a, Action::On, {}, End::Cr), "#2.1.0.LED=ON\r");
    row("off, no terminator", CKeypadCommands::led(a, Action::Off, {}, End::None),
        "#2.1.0.LED=OFF");
    row("effect", CKeypadCommands::led(a, Action::Effect, 4, End::Cr), "#2.1.0.LED=EFFECT,4\r");
    row("wide address", CKeypadCommands::led({300, 1, 1}, Action::On, {}, End::None),
        "#300.1.1.LED=ON");
    row("fade level", CKeypadCommands::ledLevel(a, LedLevel::Fade, 120), "#2.1.0.LED=SET,120\r");
    row("hue level", CKeypadCommands::ledLevel(a, LedLevel::Hue, 0), "#2.1.0.LED=HUE,0\r");
    row("saturation level", CKeypadCommands::ledLevel(a, LedLevel::Saturation, 240),
        "#2.1.0.LED=SAT,240\r");
    row("red", CKeypadCommands::ledLevel(a, LedLevel::Red, 1), "#2.1.0.LED=RED,1\r");
    row("green", CKeypadCommands::ledLevel(a, LedLevel::Green, 2), "#2.1.0.LED=GREEN,2\r");
    row("blue", CKeypadCommands::ledLevel(a, LedLevel::Blue, 3), "#2.1.0.LED=BLUE,3\r");
    row("white", CKeypadCommands::ledLevel(a, LedLevel::White, 4), "#2.1.0.LED=WHITE,4\r");
    row("sun", CKeypadCommands::ledLevel(a, LedLevel::Sun, 5), "#2.1.0.LED=SUN,5\r");
    row("cct", CKeypadCommands::ledLevel(a, LedLevel::Cct, 9000), "#2.1.0.LED=CCT,9000\r");
    row("sun colour", CKeypadCommands::ledColourValue({2, 1, 1}, 240, 210, 153),
        "#2.1.1.LED.VALUE=240.210.153");
    const CKeypadAddress m{1, 1, 4};
    row("motor up", CKeypadCommands::motor(m, Motor::Up), "#1.1.4.MOTOR=UP\r");
    row("motor down", CKeypadCommands::motor(m, Motor::Down), "#1.1.4.MOTOR=DOWN\r");
    row("motor stop", CKeypadCommands::motor({1, 1, 0}, Motor::Stop), "#1.1.0.MOTOR=STOP\r");
    row("motor retract", CKeypadCommands::motor({1, 1, 0}, Motor::Retract),
        "#1.1.0.MOTOR=RETRACT\r");
    row("motor recall", CKeypadCommands::motor({1, 1, 0}, Motor::Recall, 3),
        "#1.1.0.MOTOR=RECALL,3\r");
    row("motor store", CKeypadCommands::motor({1, 1, 0}, Motor::Store, 3),
        "#1.1.0.MOTOR=STORE,3\r");
    row("goto 50.25", CKeypadCommands::motorGoto(m, 5025), "#1.1.4.MOTOR=GOTO,50.25\r");
    row("goto 0.07", CKeypadCommands::motorGoto(m, 7), "#1.1.4.MOTOR=GOTO,0.07\r");
    row("goto 100.00", CKeypadCommands::motorGoto(m, 10000), "#1.1.4.MOTOR=GOTO,100.00\r");
    row("goto below 0", CKeypadCommands::motorGoto(m, -5), "#1.1.4.MOTOR=GOTO,0.00\r");
    row("goto beyond 100", CKeypadCommands::motorGoto(m, 10001), "#1.1.4.MOTOR=GOTO,100.00\r");
}

void TestKeypadCommands::texts() {
    QFETCH(QByteArray, text);
    QTEST(text, "expected");
}

QTEST_APPLESS_MAIN(TestKeypadCommands)
#include "TestKeypadCommands.moc"
