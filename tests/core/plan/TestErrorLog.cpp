#include "core/plan/CErrorLog.h"
#include "support/CManualClock.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class TestErrorLog : public QObject {
    Q_OBJECT

private slots:
    void linesAreStampedAndAppended();
    void unwritableLogIsSilent();
    void defaultFileIsInCurrentDirectory();
    void emptyPathKeepsNoLogAndSaysNothing();
};

void TestErrorLog::linesAreStampedAndAppended() {
    QTemporaryDir dir;
    CManualClock clock(QDateTime(QDate(2026, 12, 6), QTime(14, 3, 9)));
    const QString path = dir.filePath(QStringLiteral("Vorel_Error_log.txt"));
    CErrorLog log(clock, path);
    log.write("Error in CUbrixVorelDoc::NetAddDevice()");
    log.write("Error in CUbrixVorelDoc::AddMsg()[10:00:00] (1.2.3.4) !9=1");
    clock.set(QDateTime(QDate(2027, 1, 2), QTime(3, 4, 5)));
    CErrorLog again(clock, path);
    again.write("Error in CUbrixVorelMap::OnUpdate()");

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(
        file.readAll(),
        QByteArray(
            "[12/06/2026 14:03:09] Error in CUbrixVorelDoc::NetAddDevice()\n"
            "[12/06/2026 14:03:09] Error in CUbrixVorelDoc::AddMsg()[10:00:00] (1.2.3.4) !9=1\n"
            "[01/02/2027 03:04:05] Error in CUbrixVorelMap::OnUpdate()\n"));
}

void TestErrorLog::unwritableLogIsSilent() {
    QTemporaryDir dir;
    CManualClock clock(QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
    CErrorLog log(clock, dir.filePath(QStringLiteral("missing/dir/log.txt")));
    log.write("lost");
    QVERIFY(!QFile::exists(log.path()));
}

void TestErrorLog::defaultFileIsInCurrentDirectory() {
    CManualClock clock(QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
    QCOMPARE(CErrorLog(clock).path(), QStringLiteral("Vorel_Error_log.txt"));
}

void TestErrorLog::emptyPathKeepsNoLogAndSaysNothing() {
    QTemporaryDir dir;
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    CManualClock clock(QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
    CErrorLog(clock, QString()).write("nowhere");
    QDir::setCurrent(before);
    QVERIFY(QDir(dir.path()).isEmpty());
}

QTEST_APPLESS_MAIN(TestErrorLog)
#include "TestErrorLog.moc"
