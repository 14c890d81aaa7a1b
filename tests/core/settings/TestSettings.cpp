#include "core/settings/CSettings.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// The typed settings over their INI store: defaults, round trip, the release check.
class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void emptyStoreGivesDefaults();
    void saveCreatesEveryKey();
    void roundTrip();
    void garbageFallsBackToDefaults();
    void releaseCheck_data();
    void releaseCheck();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QSettings> store(const QString& name) {
        return CSettings::openFileStore(m_dir.filePath(name));
    }
};

void TestSettings::emptyStoreGivesDefaults() {
    CSettings settings;
    settings.load(*store(QStringLiteral("empty.ini")));
    QCOMPARE(settings.showUbrix, 1);
    QCOMPARE(settings.mapFile, 0);
    QCOMPARE(settings.mapFilename, QStringLiteral("Results.xml"));
    QCOMPARE(settings.showTime, 1);
    QCOMPARE(settings.showIp, 1);
    QCOMPARE(settings.log, 1);
    QCOMPARE(settings.logFilename, QStringLiteral("logfile.txt"));
    QCOMPARE(settings.sendPort, 5000);
    QCOMPARE(settings.recvPort, 4000);
    QCOMPARE(settings.defaultIp, 0u);
    QCOMPARE(settings.mode, 0);
    QCOMPARE(settings.pacing, 1);
    QCOMPARE(settings.keypadStarts[5].zone, 2);
    QCOMPARE(settings.keypadType, 1);
}

void TestSettings::saveCreatesEveryKey() {
    auto file = store(QStringLiteral("first.ini"));
    CSettings().save(*file);
    QStringList keys = file->allKeys();
    keys.sort();
    QStringList expected{"MAP/show ubrix",    "MAP/Map file",         "MAP/Map Filename",
                         "TRAFFIC/show time", "TRAFFIC/show ip",      "TRAFFIC/Log",
                         "TRAFFIC/show sent", "TRAFFIC/Log Filename", "UDP/Send_Port",
                         "UDP/Recv_Port",     "TCP/DefaultIP",        "Transport/Mode",
                         "Transport/Pacing"};
    expected.sort();
    // The keypad addresses and the release marks are never written at exit.
    QCOMPARE(keys, expected);
}

void TestSettings::roundTrip() {
    CSettings written;
    written.showUbrix = 0;
    written.mapFile = 1;
    written.mapFilename = QStringLiteral("/tmp/site map.xml");
    written.showTime = 0;
    written.showIp = 0;
    written.showSent = 1;
    written.log = 0;
    written.logFilename = QStringLiteral("traffic.txt");
    written.sendPort = 5001;
    written.recvPort = 4001;
    written.defaultIp = 0xFE01A8C0;  // 192.168.1.254 in network order: above INT_MAX
    written.mode = 1;
    written.pacing = 0;
    written.save(*store(QStringLiteral("trip.ini")));

    CSettings read;
    read.load(*store(QStringLiteral("trip.ini")));
    QCOMPARE(read.showUbrix, 0);
    QCOMPARE(read.mapFile, 1);
    QCOMPARE(read.mapFilename, written.mapFilename);
    QCOMPARE(read.showTime, 0);
    QCOMPARE(read.showIp, 0);
    QCOMPARE(read.showSent, 1);
    QCOMPARE(read.log, 0);
    QCOMPARE(read.logFilename, written.logFilename);
    QCOMPARE(read.sendPort, 5001);
    QCOMPARE(read.recvPort, 4001);
    QCOMPARE(read.defaultIp, 0xFE01A8C0u);
    QCOMPARE(read.mode, 1);
    QCOMPARE(read.pacing, 0);
}

void TestSettings::garbageFallsBackToDefaults() {
    auto file = store(QStringLiteral("garbage.ini"));
    file->setValue(QStringLiteral("UDP/Send_Port"), QStringLiteral("abc"));
    file->setValue(QStringLiteral("Device/Zone1"), QStringLiteral(""));
    file->setValue(QStringLiteral("Transport/Pacing"), QStringLiteral("fast"));
    CSettings settings;
    settings.load(*file);
    QCOMPARE(settings.sendPort, 5000);
    QCOMPARE(settings.pacing, 1);
    file->setValue(QStringLiteral("Transport/Pacing"), 0);
    settings.load(*file);
    QCOMPARE(settings.pacing, 0);
    QCOMPARE(settings.keypadStarts[0].zone, 1);
    // Set by hand: how often a lost answer is asked for again, and whether the buses are
    // collected and uploaded at the same time.
    QCOMPARE(settings.retries, 2);
    QCOMPARE(settings.collectConcurrent, 1);
    QCOMPARE(settings.uploadConcurrent, 1);
    file->setValue(QStringLiteral("Transport/Retries"), 0);
    file->setValue(QStringLiteral("COLLECT/Concurrent"), 0);
    file->setValue(QStringLiteral("UPLOAD/Concurrent"), 0);
    settings.load(*file);
    QCOMPARE(settings.retries, 0);
    QCOMPARE(settings.collectConcurrent, 0);
    QCOMPARE(settings.uploadConcurrent, 0);
}

void TestSettings::releaseCheck_data() {
    QTest::addColumn<int>("storedVersion");
    QTest::addColumn<int>("storedNew");
    QTest::addColumn<int>("expectedVersion");
    QTest::addColumn<int>("expectedNew");
    // This program: 2.9 -> release 521.
    QTest::newRow("first start") << -1 << -1 << 521 << 0;
    QTest::newRow("same release keeps the mark") << 521 << 1 << 521 << 1;
    QTest::newRow("new release clears the mark") << 520 << 1 << 521 << 0;
}

void TestSettings::releaseCheck() {
    QFETCH(int, storedVersion);
    QFETCH(int, storedNew);
    auto file = store(QStringLiteral("release-%1-%2.ini").arg(storedVersion).arg(storedNew));
    if (storedVersion >= 0) {
        file->setValue(QStringLiteral("RELEASE/Version"), storedVersion);
        file->setValue(QStringLiteral("RELEASE/NEW"), storedNew);
    }
    CSettings::checkRelease(*file, 2, 9);
    QTEST(file->value(QStringLiteral("RELEASE/Version")).toInt(), "expectedVersion");
    QTEST(file->value(QStringLiteral("RELEASE/NEW")).toInt(), "expectedNew");
    QFETCH(int, expectedNew);
    QCOMPARE(CSettings::newerReleaseAnnounced(*file), expectedNew == 1);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "TestSettings.moc"
