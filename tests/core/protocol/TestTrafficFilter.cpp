#include "core/protocol/CTrafficFilter.h"
#include "core/protocol/CTrafficLineParts.h"

#include <QTest>

// The filter of the traffic view and of "vorel-cli monitor --filter": a line passes when
// its sender or its text, as the view shows the device's bytes, holds the filter, whatever
// the case.
class TestTrafficFilter : public QObject {
    Q_OBJECT

private slots:
    void parts_data();
    void parts();
    void filter_data();
    void filter();
};

void TestTrafficFilter::parts_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("time");
    QTest::addColumn<QByteArray>("sender");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("received") << QByteArray("[10:00:01] (10.0.0.7) !NAME=A (b);")
                              << QByteArray("10:00:01") << QByteArray("10.0.0.7")
                              << QByteArray("!NAME=A (b);");
    QTest::newRow("empty text") << QByteArray("[10:00:01] (10.0.0.7) ") << QByteArray("10:00:01")
                                << QByteArray("10.0.0.7") << QByteArray("");
    QTest::newRow("no sender") << QByteArray("[10:00:01] note") << QByteArray("10:00:01")
                               << QByteArray("") << QByteArray("note");
    QTest::newRow("a note of the program") << QByteArray("->Upload object match") << QByteArray("")
                                           << QByteArray("") << QByteArray("->Upload object match");
    QTest::newRow("sent") << QByteArray("[10:00:01] -> 10.0.0.7: &NAME=A (b): x;")
                          << QByteArray("10:00:01") << QByteArray("10.0.0.7")
                          << QByteArray("&NAME=A (b): x;");
    QTest::newRow("sent mark without a time is text")
        << QByteArray("-> 10.0.0.7: &NAME=?;") << QByteArray("") << QByteArray("")
        << QByteArray("-> 10.0.0.7: &NAME=?;");
    QTest::newRow("bracket never closed") << QByteArray("[10:00 (1.2.3.4) x") << QByteArray("")
                                          << QByteArray("") << QByteArray("[10:00 (1.2.3.4) x");
}

void TestTrafficFilter::parts() {
    QFETCH(QByteArray, line);
    const CTrafficLineParts parts = CTrafficLineParts::of(line);
    QTEST(parts.time.toByteArray(), "time");
    QTEST(parts.sender.toByteArray(), "sender");
    QTEST(parts.text.toByteArray(), "text");
}

void TestTrafficFilter::filter_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("passes");
    const QByteArray line = "[10:00:01] (10.0.0.7) !NAME=Caf\xe9;";
    QTest::newRow("empty lets all through") << QString() << line << true;
    QTest::newRow("text, other case") << "name=caf" << line << true;
    QTest::newRow("sender") << "0.0.7" << line << true;
    QTest::newRow("not the time") << "10:00" << line << false;
    QTest::newRow("not across sender and text") << "7) !" << line << false;
    QTest::newRow("Latin-1 byte") << QStringLiteral("caf\u00e9") << line << true;
    QTest::newRow("UTF-8 bytes") << QStringLiteral("B\u00dcRO")
                                 << QByteArray("[10:00:01] (10.0.0.7) !NAME=B\xc3\xbcro;") << true;
    QTest::newRow("non-ASCII, other case") << QStringLiteral("CAF\u00c9") << line << true;
    QTest::newRow("beyond Latin-1") << QStringLiteral("\u20ac") << line << false;
    QTest::newRow("absent") << "TYPE" << line << false;
}

void TestTrafficFilter::filter() {
    QFETCH(QString, filter);
    QFETCH(QByteArray, line);
    QTEST(CTrafficFilter(filter).matches(line), "passes");
}

QTEST_APPLESS_MAIN(TestTrafficFilter)
#include "TestTrafficFilter.moc"
