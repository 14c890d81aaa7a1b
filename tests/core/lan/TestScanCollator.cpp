#include "core/lan/CScanCollator.h"
#include "core/transport/CIpv4Address.h"

#include <QTest>

namespace {

quint32 address(const char* dotted) {
    return CIpv4Address::fromDotted(dotted);
}

CMacAddress macOf(int host) {
    return CMacAddress({0x02, 0, 0, 0, 0, static_cast<quint8>(host)});
}

// "settle" instructions: a positive number is a host that answered, a negative one a host
// that stayed silent.
void settle(CScanCollator& collator, const QList<int>& steps) {
    for (const int step : steps) {
        if (step > 0) {
            collator.settleFound(step, macOf(step), QStringLiteral("h%1").arg(step));
        } else {
            collator.settleSilent(-step);
        }
    }
}

QList<int> numbers(const QList<CLanScanRow>& rows) {
    QList<int> found;
    for (const CLanScanRow& row : rows) {
        found << row.number;
    }
    return found;
}

QList<QByteArray> addresses(const QList<CLanScanRow>& rows) {
    QList<QByteArray> found;
    for (const CLanScanRow& row : rows) {
        found << row.addressText();
    }
    return found;
}

}  // namespace

// Answers of a concurrent scan put back in address order, numbered by found hosts.
class TestScanCollator : public QObject {
    Q_OBJECT

private slots:
    void addressesOfTheNetwork_data();
    void addressesOfTheNetwork();
    void order_data();
    void order();
    void numbersCountFoundHostsNotAddresses();
    void settlingTwiceOrOutOfRangeChangesNothing();
    void wholeNetworkSilent();
};

void TestScanCollator::addressesOfTheNetwork_data() {
    QTest::addColumn<QByteArray>("adapter");
    QTest::addColumn<int>("host");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("first of 192.168.5.77")
        << QByteArray("192.168.5.77") << 1 << QByteArray("192.168.5.1");
    QTest::newRow("last of 192.168.5.77")
        << QByteArray("192.168.5.77") << 254 << QByteArray("192.168.5.254");
    QTest::newRow("own host of 192.168.5.77")
        << QByteArray("192.168.5.77") << 77 << QByteArray("192.168.5.77");
    QTest::newRow("no adapter") << QByteArray("0.0.0.0") << 1 << QByteArray("0.0.0.1");
    QTest::newRow("high octets kept")
        << QByteArray("255.254.253.252") << 7 << QByteArray("255.254.253.7");
}

void TestScanCollator::addressesOfTheNetwork() {
    QFETCH(QByteArray, adapter);
    QFETCH(int, host);
    QFETCH(QByteArray, expected);
    const CScanCollator collator(address(adapter.constData()));
    QCOMPARE(CIpv4Address::toDotted(collator.addressOf(host)), expected);
}

void TestScanCollator::order_data() {
    QTest::addColumn<QList<int>>("steps");
    QTest::addColumn<QList<QByteArray>>("dueAddresses");
    QTest::addColumn<int>("through");
    QTest::addColumn<QByteArray>("waitingFor");

    QTest::newRow("nothing settled")
        << QList<int>{} << QList<QByteArray>{} << 0 << QByteArray("10.0.0.1");
    QTest::newRow("later host first waits for the earlier")
        << QList<int>{5, 3} << QList<QByteArray>{} << 0 << QByteArray("10.0.0.1");
    QTest::newRow("gap filled releases the run")
        << QList<int>{3, -2, 1} << QList<QByteArray>{"10.0.0.1", "10.0.0.3"} << 3
        << QByteArray("10.0.0.4");
    QTest::newRow("silent hosts move the progress only")
        << QList<int>{-1, -2, -3} << QList<QByteArray>{} << 3 << QByteArray("10.0.0.4");
    QTest::newRow("held back by one silent host in the middle")
        << QList<int>{1, 2, 4, 5} << QList<QByteArray>{"10.0.0.1", "10.0.0.2"} << 2
        << QByteArray("10.0.0.3");
}

void TestScanCollator::order() {
    QFETCH(QList<int>, steps);
    QFETCH(QList<QByteArray>, dueAddresses);
    QFETCH(int, through);
    QFETCH(QByteArray, waitingFor);

    CScanCollator collator(address("10.0.0.200"));
    settle(collator, steps);
    const QList<CLanScanRow> rows = collator.takeDueRows();
    QCOMPARE(addresses(rows), dueAddresses);
    QCOMPARE(collator.throughCount(), through);
    QVERIFY(collator.waitingFor().has_value());
    QCOMPARE(CIpv4Address::toDotted(*collator.waitingFor()), waitingFor);
    QVERIFY(collator.takeDueRows().isEmpty());  // each row is handed out once
}

void TestScanCollator::numbersCountFoundHostsNotAddresses() {
    CScanCollator collator(address("192.168.5.77"));
    settle(collator, {-1, 2, -3, -4, 5, -6, -7, -8, 9});
    QList<CLanScanRow> rows = collator.takeDueRows();
    QCOMPARE(numbers(rows), (QList<int>{1, 2, 3}));
    QCOMPARE(addresses(rows), (QList<QByteArray>{"192.168.5.2", "192.168.5.5", "192.168.5.9"}));
    QCOMPARE(rows[2].macText(), QByteArray("[02:00:00:00:00:09]"));
    QCOMPARE(rows[2].name, QStringLiteral("h9"));
    QCOMPARE(rows[2].numberText(), QByteArray("3"));

    // The numbering goes on across hand-outs.
    settle(collator, {11, -10});
    rows = collator.takeDueRows();
    QCOMPARE(numbers(rows), QList<int>{4});
    QCOMPARE(rows[0].addressText(), QByteArray("192.168.5.11"));
}

void TestScanCollator::settlingTwiceOrOutOfRangeChangesNothing() {
    CScanCollator collator(address("10.0.0.1"));
    collator.settleSilent(1);
    collator.settleFound(1, macOf(1), QStringLiteral("late"));  // a late answer
    collator.settleFound(0, macOf(0), QString());
    collator.settleFound(255, macOf(255), QString());
    collator.settleSilent(-1);
    QVERIFY(!collator.isSettled(0));
    QVERIFY(!collator.isSettled(255));
    QVERIFY(collator.takeDueRows().isEmpty());
    QCOMPARE(collator.throughCount(), 1);

    collator.settleFound(2, macOf(2), QStringLiteral("first"));
    collator.settleFound(2, macOf(7), QStringLiteral("second"));
    const QList<CLanScanRow> rows = collator.takeDueRows();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].name, QStringLiteral("first"));
    QCOMPARE(rows[0].mac, macOf(2));
}

void TestScanCollator::wholeNetworkSilent() {
    CScanCollator collator(address("0.0.0.0"));
    for (int host = CScanCollator::kLastHost; host >= CScanCollator::kFirstHost; --host) {
        QVERIFY(!collator.isComplete());
        collator.settleSilent(host);
    }
    QVERIFY(collator.takeDueRows().isEmpty());
    QVERIFY(collator.isComplete());
    QCOMPARE(collator.throughCount(), 254);
    QVERIFY(!collator.waitingFor().has_value());
}

QTEST_GUILESS_MAIN(TestScanCollator)
#include "TestScanCollator.moc"
