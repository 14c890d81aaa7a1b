#include "core/keypads/CKeypadCommandLine.h"

#include <QTest>

// Keypad commands in words, as vorel-cli takes them: the same texts as the keypads send.
class TestKeypadCommandLine : public QObject {
    Q_OBJECT

private slots:
    void words_data();
    void words();
};

void TestKeypadCommandLine::words_data() {
    QTest::addColumn<QString>("words");
    QTest::addColumn<QByteArray>("text");  // empty: refused
    const auto row = [](const char* words, const char* text) {
        QTest::newRow(words) << QString::fromLatin1(words) << QByteArray(text);
    };
    row("2.1.0 on", "#2.1.0.LED=ON\r");
    row("2.1.0 off", "#2.1.0.LED=OFF\r");
    row("2.1.0 stop", "#2.1.0.LED=STOP\r");
    row("2.1.0 fade-up", "#2.1.0.LED=FADE_UP\r");
    row("2.1.0 hue-down", "#2.1.0.LED=HUE_DOWN\r");
    row("2.1.0 recall 3", "#2.1.0.LED=RECALL,3\r\n");
    row("2.1.0 store 6", "#2.1.0.LED=STORE,6\r");
    row("2.1.0 effect 2", "#2.1.0.LED=EFFECT,2\r");
    row("2.1.0 set 120", "#2.1.0.LED=SET,120\r");
    row("2.1.0 sat 240", "#2.1.0.LED=SAT,240\r");
    row("2.1.0 cct 1700", "#2.1.0.LED=CCT,1700\r");
    row("motor 1.1.1 up", "#1.1.1.MOTOR=UP\r");
    row("motor 1.1.0 retract", "#1.1.0.MOTOR=RETRACT\r");
    row("motor 1.1.0 recall 2", "#1.1.0.MOTOR=RECALL,2\r");
    row("motor 1.1.2 goto 50.25", "#1.1.2.MOTOR=GOTO,50.25\r");
    row("motor 1.1.2 goto 37.5", "#1.1.2.MOTOR=GOTO,37.50\r");
    row("motor 1.1.2 goto 100", "#1.1.2.MOTOR=GOTO,100.00\r");
    row("sun 2.1.1 240", "#2.1.1.LED.VALUE=240.210.153");
    row("sun 2.1.1 41", "#2.1.1.LED.VALUE=52.32.120");
    // Refused.
    row("2.1.0 set 241", "");
    row("2.1.0 cct 100", "");
    row("2.1.0 recall 0", "");
    row("2.1.0 recall", "");
    row("2.1.0 on 5", "");
    row("2.1.0 warp", "");
    row("2.1 on", "");
    row("2.1.0.0 on", "");
    row("300.1.0 on", "");
    row("-1.1.0 on", "");
    row("2.1.0 set -5", "");
    row("2.1.0 set 99999999999999999999", "");
    row("motor 1.1.1 goto 100.01", "");
    row("motor 1.1.1 goto 50.255", "");
    row("motor 1.1.1 goto 50.", "");
    row("motor 1.1.1 set 5", "");
    row("sun 2.1.1 241", "");
    row("sun 2.1.1", "");
    row("", "");
}

void TestKeypadCommandLine::words() {
    QFETCH(QString, words);
    QFETCH(QByteArray, text);
    const CKeypadCommandLine::Result result =
        CKeypadCommandLine::build(words.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    QCOMPARE(result.text, text);
    QCOMPARE(result.error.isEmpty(), !text.isEmpty());
}

QTEST_APPLESS_MAIN(TestKeypadCommandLine)
#include "TestKeypadCommandLine.moc"
