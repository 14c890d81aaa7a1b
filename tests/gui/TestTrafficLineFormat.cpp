#include "views/CTrafficLineFormat.h"

#include <QtTest>

class TestTrafficLineFormat : public QObject {
    Q_OBJECT

private slots:
    void rendersByTheViewOptions_data();
    void rendersByTheViewOptions();
};

void TestTrafficLineFormat::rendersByTheViewOptions_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("showTime");
    QTest::addColumn<bool>("showIp");
    QTest::addColumn<QByteArray>("shown");

    const QByteArray reply = "[14:03:09] (192.168.1.20) &NAME=Lobby;";
    QTest::newRow("both on") << reply << true << true << reply;
    QTest::newRow("time off keeps one blank")
        << reply << false << true << QByteArray(" (192.168.1.20) &NAME=Lobby;");
    QTest::newRow("sender off keeps its blank")
        << reply << true << false << QByteArray("[14:03:09]  &NAME=Lobby;");
    QTest::newRow("both off keeps two blanks")
        << reply << false << false << QByteArray("  &NAME=Lobby;");
    // Upload progress lines have neither part and stay as they are.
    QTest::newRow("progress line")
        << QByteArray("Uploading 10.0.0.5") << false << false << QByteArray("Uploading 10.0.0.5");
    // Only the first pair of each goes: the reply's own brackets stay.
    QTest::newRow("brackets in the reply") << QByteArray("[14:03:09] (10.0.0.5) !TEXT=[a] (b);")
                                           << false << false << QByteArray("  !TEXT=[a] (b);");
    // With the time shown, the first "(" is the sender's, whatever comes later.
    QTest::newRow("time shown, sender removed")
        << QByteArray("[01:02:03] (10.0.0.5) !X=(y);") << true << false
        << QByteArray("[01:02:03]  !X=(y);");
    // A close before the open, or no close at all, removes nothing.
    QTest::newRow("close before open")
        << QByteArray("a]b[c") << false << true << QByteArray("a]b[c");
    QTest::newRow("open without close") << QByteArray("[14:03:09 (1.2.3.4) x") << false << true
                                        << QByteArray("[14:03:09 (1.2.3.4) x");
    // The first "]" counts even when a later one would make a longer pair.
    QTest::newRow("first close counts")
        << QByteArray("x[a]b]c") << false << true << QByteArray("xb]c");
    QTest::newRow("sender of a progress line with parentheses")
        << QByteArray("Upload (step 2) done") << true << false << QByteArray("Upload  done");
    QTest::newRow("empty line") << QByteArray() << false << false << QByteArray();
    QTest::newRow("adjacent pair") << QByteArray("[]()x") << false << false << QByteArray("x");
}

void TestTrafficLineFormat::rendersByTheViewOptions() {
    QFETCH(QByteArray, line);
    QFETCH(bool, showTime);
    QFETCH(bool, showIp);
    QFETCH(QByteArray, shown);

    QCOMPARE(CTrafficLineFormat::forDisplay(line, showTime, showIp), shown);
}

QTEST_APPLESS_MAIN(TestTrafficLineFormat)
#include "TestTrafficLineFormat.moc"
