#include "support/CProgramRun.h"
#include "support/CTestLan.h"

#include <QFile>
#include <QNetworkInterface>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kInNetns = QStringLiteral(VOREL_SOURCE_DIR "/scripts/in-netns");

QByteArray ownNamespace() {
    return QFile::symLinkTarget(QStringLiteral("/proc/self/ns/net"))
        .section(QLatin1Char('/'), -1)
        .toLatin1();
}

QStringList interfaceNames() {
    QStringList names;
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        names.append(interface.name());
    }
    names.sort();
    return names;
}

}  // namespace

// Where the programs and the tests run: scripts/in-netns and the namespace each test program
// moves into keep every datagram on this machine. Nothing else stands between a program that
// broadcasts and scans by design and the network this machine is on.
class TestInNetns : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void isolatedProcessSeesLoopbackOnly();
    void inNetnsRunsInAFreshNamespace();
    void inNetnsRunsNothingWhereItLanded_data();
    void inNetnsRunsNothingWhereItLanded();
    void aTestThatCannotIsolateItselfFailsWhereRequired_data();
    void aTestThatCannotIsolateItselfFailsWhereRequired();
};

void TestInNetns::initTestCase() {
    const QString why = CTestLan::isolateProcess() + CTestLan::whyNoLan();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
}

void TestInNetns::isolatedProcessSeesLoopbackOnly() {
    QCOMPARE(interfaceNames(), QStringList{QStringLiteral("lo")});
}

void TestInNetns::inNetnsRunsInAFreshNamespace() {
    const CProgramRun run = CProgramRun::of(
        kInNetns, {QStringLiteral("sh"), QStringLiteral("-c"),
                   QStringLiteral("readlink /proc/self/ns/net; ip -o link show | cut -d: -f2")});
    QCOMPARE(run.exitCode, 0);
    const QList<QByteArray> printed = run.out.trimmed().split('\n');
    QCOMPARE(printed.size(), 2);
    QVERIFY(printed.at(0).startsWith("net:["));
    QVERIFY(printed.at(0) != ownNamespace());
    QCOMPARE(printed.at(1).trimmed(), QByteArray("lo"));
}

// The check it makes after unsharing, given where it would have landed: the namespace it
// started in, or one with more than loopback (this test's, once it holds a LAN).
void TestInNetns::inNetnsRunsNothingWhereItLanded_data() {
    QTest::addColumn<bool>("startedHere");
    QTest::addColumn<bool>("withLan");
    QTest::addColumn<QByteArray>("refusal");
    QTest::newRow("never left") << true << false << QByteArray("still in the network namespace");
    QTest::newRow("more than loopback")
        << false << true << QByteArray("has interfaces besides loopback (vlan1)");
}

void TestInNetns::inNetnsRunsNothingWhereItLanded() {
    QFETCH(bool, startedHere);
    QFETCH(bool, withLan);
    QFETCH(QByteArray, refusal);
    CTestLan lan;
    if (withLan) {
        QVERIFY2(lan.addLan(1), qPrintable(lan.error()));
    }
    QTemporaryDir folder;
    const QString marker = folder.filePath(QStringLiteral("ran"));
    const QString startedIn =
        startedHere ? QString::fromLatin1(ownNamespace()) : QStringLiteral("net:[1]");

    const CProgramRun run = CProgramRun::of(
        kInNetns, {QStringLiteral("--checked-inside"), startedIn, QStringLiteral("touch"), marker});

    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(refusal), run.err.constData());
    QVERIFY(!QFile::exists(marker));
}

// This very program run again as a user who may not make a namespace: it skips, unless
// isolation is required (as CI requires it), where it fails.
void TestInNetns::aTestThatCannotIsolateItselfFailsWhereRequired_data() {
    QTest::addColumn<bool>("required");
    QTest::addColumn<bool>("fails");
    QTest::newRow("required") << true << true;
    QTest::newRow("not required") << false << false;
}

void TestInNetns::aTestThatCannotIsolateItselfFailsWhereRequired() {
    QFETCH(bool, required);
    QFETCH(bool, fails);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VOREL_REQUIRE_ISOLATION"),
                       required ? QStringLiteral("1") : QStringLiteral("0"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("setpriv"),
                  {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                   QStringLiteral("--clear-groups"), QCoreApplication::applicationFilePath(),
                   QStringLiteral("isolatedProcessSeesLoopbackOnly")});
    QVERIFY(process.waitForFinished(60000));
    const QByteArray err = process.readAllStandardError();
    if (err.contains("setpriv:")) {
        QSKIP(qPrintable(QStringLiteral("cannot run as another user here: ") +
                         QString::fromLocal8Bit(err)));
    }
    const QByteArray out = process.readAllStandardOutput();
    const bool failed = process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0;
    QCOMPARE(failed, fails);
    QCOMPARE(out.contains("SKIP   : TestInNetns::initTestCase()"), !fails);
    if (fails) {
        QVERIFY2(err.contains("this test may not skip") || out.contains("this test may not skip"),
                 err.constData());
    }
}

QTEST_GUILESS_MAIN(TestInNetns)
#include "TestInNetns.moc"
