#include "core/traffic/CTrafficLog.h"
#include "support/CDocFixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The traffic log file: lines as they arrive, and a size limit past which the file moves
// aside to its ".1" name without splitting or losing a line.
class TestTrafficLog : public QObject {
    Q_OBJECT

private slots:
    void init();
    void rotatedName_data();
    void rotatedName();
    void linesStayWholeAcrossTheSwitch();
    void aFloodKeepsTwoFilesWithinTheLimit();
    void aFileAlreadyPastTheLimitMovesAsideFirst();
    void aFileThatCannotMoveKeepsEveryLine();
    void theDocumentLogsWithinTheLimitOfTheSettings();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A setting reply of one of a few devices, told apart by its value.
QByteArray numbered(int n) {
    return "[12:00:00] (10.0.0.1) !UID" + QByteArray::number(n % 20 + 1) +
           ".LED.VALUE=" + QByteArray::number(n) + ";";
}

}  // namespace

void TestTrafficLog::init() {
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestTrafficLog::rotatedName_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("rotated");
    QTest::newRow("the default") << "logfile.txt"
                                 << "logfile.1.txt";
    QTest::newRow("in a folder") << "/var/x.y/logfile.txt"
                                 << "/var/x.y/logfile.1.txt";
    QTest::newRow("two dots") << "site.b.log"
                              << "site.b.1.log";
    QTest::newRow("no extension") << "/tmp/traffic"
                                  << "/tmp/traffic.1";
    QTest::newRow("hidden") << "/tmp/.traffic"
                            << "/tmp/.traffic.1";
}

void TestTrafficLog::rotatedName() {
    QFETCH(QString, path);
    QFETCH(QString, rotated);
    QCOMPARE(CTrafficLog::rotatedName(path), rotated);
}

void TestTrafficLog::linesStayWholeAcrossTheSwitch() {
    const QByteArray line = numbered(1);
    const qint64 limit = 3 * (line.size() + 1) + 5;  // three lines fit, the fourth does not
    CTrafficLog log;
    QVERIFY(log.open(path(QStringLiteral("logfile.txt")), limit));
    QByteArray expected;
    for (int n = 1; n <= 5; ++n) {
        log.write(numbered(n));
        expected += numbered(n) + '\n';
    }
    log.close();

    QCOMPARE(log.rotations(), 1);
    const QByteArray moved = readFile(path(QStringLiteral("logfile.1.txt")));
    const QByteArray current = readFile(path(QStringLiteral("logfile.txt")));
    QCOMPARE(moved, numbered(1) + '\n' + numbered(2) + '\n' + numbered(3) + '\n');
    QCOMPARE(moved + current, expected);
}

void TestTrafficLog::aFloodKeepsTwoFilesWithinTheLimit() {
    constexpr qint64 kLimit = 4096;
    CTrafficLog log;
    QVERIFY(log.open(path(QStringLiteral("logfile.txt")), kLimit));
    constexpr int kLines = 2000;
    for (int n = 1; n <= kLines; ++n) {
        log.write(numbered(n));
        QVERIFY(log.size() <= kLimit);
    }
    log.close();

    QVERIFY(log.rotations() > 10);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 2);
    const QByteArray both = readFile(path(QStringLiteral("logfile.1.txt"))) +
                            readFile(path(QStringLiteral("logfile.txt")));
    QVERIFY(both.size() <= 2 * kLimit);
    // The newest lines, whole and in order, up to the last one.
    const QList<QByteArray> lines = both.chopped(1).split('\n');
    const int first = kLines - static_cast<int>(lines.size()) + 1;
    for (int i = 0; i < lines.size(); ++i) {
        QCOMPARE(lines[i], numbered(first + i));
    }
}

void TestTrafficLog::aFileAlreadyPastTheLimitMovesAsideFirst() {
    QFile old(path(QStringLiteral("logfile.txt")));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(200, 'x') + '\n');
    old.close();

    CTrafficLog log;
    QVERIFY(log.open(old.fileName(), 100));
    log.write(numbered(1));
    log.close();

    QCOMPARE(readFile(path(QStringLiteral("logfile.1.txt"))), QByteArray(200, 'x') + '\n');
    QCOMPARE(readFile(old.fileName()), numbered(1) + '\n');
}

void TestTrafficLog::aFileThatCannotMoveKeepsEveryLine() {
    // A folder with something in it stands where the rotated file would go.
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("logfile.1.txt/keep")));
    const qint64 limit = 2 * (numbered(1).size() + 1);
    CTrafficLog log;
    QVERIFY(log.open(path(QStringLiteral("logfile.txt")), limit));
    QByteArray expected;
    for (int n = 1; n <= 7; ++n) {
        log.write(numbered(n));
        expected += numbered(n) + '\n';
    }
    log.close();

    QCOMPARE(log.rotations(), 0);
    QCOMPARE(readFile(path(QStringLiteral("logfile.txt"))), expected);
}

void TestTrafficLog::theDocumentLogsWithinTheLimitOfTheSettings() {
    CDocFixture fixture;
    fixture.settings().logLimitMb = 1;
    fixture.doc().startLogging();
    QVERIFY(fixture.doc().isLogging());
    const qint64 limit = fixture.settings().logLimitBytes();
    QCOMPARE(limit, qint64{1024} * 1024);

    // Past twice the limit, through the document's drain as the receive path feeds it.
    qint64 written = 0;
    int n = 0;
    while (written < 2 * limit + limit / 2) {
        QList<QByteArray> burst;
        for (int i = 0; i < 500; ++i, ++n) {
            burst << numbered(n);
            written += burst.back().size() + 1;
        }
        fixture.receive(burst);
    }
    const QByteArray current = readFile(fixture.settings().logFilename);
    const QByteArray moved = readFile(CTrafficLog::rotatedName(fixture.settings().logFilename));
    QVERIFY(current.size() <= limit);
    QVERIFY(moved.size() <= limit);
    QVERIFY(moved.size() > limit - 100);
    // Every line of the burst through is on disk already, the last one included.
    QVERIFY(current.endsWith(numbered(n - 1) + '\n'));
    QVERIFY(moved.endsWith('\n'));
    QVERIFY(current.startsWith("[12:00:00] "));
    fixture.doc().stopLogging();
}

QTEST_MAIN(TestTrafficLog)
#include "TestTrafficLog.moc"
