#include "Version.h"
#include "plan/CModelTemplates.h"
#include "support/CTestLan.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The Debian package of this build, as scripts/package makes it: built with CPack,
// unpacked into a throw-away root, its files, dependencies and desktop entry checked,
// and the unpacked programs started from there: the simulator and the program's
// demonstration find their model templates in the package's data folder, and the
// program logs into the user's data folder.
class TestDebianPackage : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void holdsTheProgramsAndTheirData();
    void dependsOnTheQtAndPugixmlRuntime();
    void desktopEntryIsValidAndNamesWhatIsInstalled();
    void simulatorFindsTheInstalledTemplates();
    void programStartsAndLogsIntoTheDataFolder();

private:
    struct Run {
        int exitCode = -1;
        QByteArray output;
    };
    static Run run(
        const QString& program, const QStringList& arguments, int timeoutMs = 60000,
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
    QString installed(const QString& path) const { return m_root.filePath(path); }

    QTemporaryDir m_work;
    QDir m_root;
    QString m_package;
};

namespace {

constexpr int kWatchdogMs = 10000;

QString tool(const char* name) {
    return QStandardPaths::findExecutable(QLatin1String(name));
}

}  // namespace

TestDebianPackage::Run TestDebianPackage::run(const QString& program, const QStringList& arguments,
                                              int timeoutMs,
                                              const QProcessEnvironment& environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Run result;
    if (process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit) {
        result.exitCode = process.exitCode();
    } else {
        process.kill();
        process.waitForFinished();
    }
    result.output = process.readAll();
    return result;
}

void TestDebianPackage::initTestCase() {
    // The programs started below open sockets: only inside a namespace of the test's own.
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
    for (const char* needed : {"cpack", "dpkg-deb", "desktop-file-validate"}) {
        QVERIFY2(
            !tool(needed).isEmpty(),
            qPrintable(
                QStringLiteral("%1 is missing: run scripts/setup").arg(QLatin1String(needed))));
    }
    const QString config = QStringLiteral(VOREL_BINARY_DIR "/CPackConfig.cmake");
    const Run packed = run(tool("cpack"), {QStringLiteral("--config"), config, QStringLiteral("-B"),
                                           m_work.filePath(QStringLiteral("out"))});
    QVERIFY2(packed.exitCode == 0, packed.output.constData());
    const QStringList debs =
        QDir(m_work.filePath(QStringLiteral("out"))).entryList({QStringLiteral("*.deb")});
    QCOMPARE(debs.size(), 1);
    QVERIFY(debs.front().startsWith(QLatin1String("ubrix-vorel_") + vorel::version::kText));
    m_package = m_work.filePath(QStringLiteral("out/") + debs.front());

    m_root.setPath(m_work.filePath(QStringLiteral("root")));
    const Run unpacked = run(tool("dpkg-deb"), {QStringLiteral("-x"), m_package, m_root.path()});
    QVERIFY2(unpacked.exitCode == 0, unpacked.output.constData());
}

void TestDebianPackage::holdsTheProgramsAndTheirData() {
    for (const char* program : {"vorel", "vorel-cli", "vorel-sim"}) {
        const QFileInfo file(installed(QStringLiteral("usr/bin/") + QLatin1String(program)));
        QVERIFY2(file.isFile() && file.isExecutable(), qPrintable(file.filePath()));
    }
    for (const CModelTemplates::Model& model : CModelTemplates::models()) {
        const QString path =
            installed(QStringLiteral("usr/share/ubrix-vorel/templates/") + model.fileName);
        QVERIFY2(QFile::exists(path), qPrintable(path));
    }
    QVERIFY(QFile::exists(
        installed(QStringLiteral("usr/share/icons/hicolor/64x64/apps/ubrix-vorel.png"))));
    QVERIFY(QFile::exists(installed(QStringLiteral("usr/share/doc/ubrix-vorel/README.md"))));
}

void TestDebianPackage::dependsOnTheQtAndPugixmlRuntime() {
    const Run field =
        run(tool("dpkg-deb"), {QStringLiteral("--field"), m_package, QStringLiteral("Depends")});
    QCOMPARE(field.exitCode, 0);
    for (const char* runtime : {"libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6network6",
                                "libqt6serialport6", "libpugixml1v5", "qt6-qpa-plugins"}) {
        QVERIFY2(field.output.contains(runtime), field.output.constData());
    }
}

void TestDebianPackage::desktopEntryIsValidAndNamesWhatIsInstalled() {
    const QString entry = installed(QStringLiteral("usr/share/applications/ubrix-vorel.desktop"));
    const Run validated = run(tool("desktop-file-validate"), {entry});
    QVERIFY2(validated.exitCode == 0 && validated.output.isEmpty(), validated.output.constData());

    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QVERIFY(lines.contains("Name=Ubrix Vorel"));
    QVERIFY(lines.contains("Exec=vorel"));
    QVERIFY(lines.contains("Icon=ubrix-vorel"));
}

void TestDebianPackage::simulatorFindsTheInstalledTemplates() {
    QProcess simulator;
    simulator.start(
        installed(QStringLiteral("usr/bin/vorel-sim")),
        {QStringLiteral("--gateways"), QStringLiteral("1"), QStringLiteral("--devices"),
         QStringLiteral("2"), QStringLiteral("--base-address"), QStringLiteral("127.0.0.11")});
    QByteArray out;
    QElapsedTimer watchdog;
    watchdog.start();
    while (!out.contains("ready\n") && simulator.state() != QProcess::NotRunning &&
           watchdog.elapsed() < kWatchdogMs) {
        simulator.waitForReadyRead(100);
        out += simulator.readAllStandardOutput();
    }
    const QByteArray errors = simulator.readAllStandardError();
    simulator.kill();
    simulator.waitForFinished();
    // Its site is built from the templates: a gateway of a model the templates name.
    QVERIFY2(out.contains("ready\n"), (out + errors).constData());
    QVERIFY2(out.contains("127.0.0.11"), out.constData());
}

void TestDebianPackage::programStartsAndLogsIntoTheDataFolder() {
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));

    const Run version = run(installed(QStringLiteral("usr/bin/vorel")),
                            {QStringLiteral("--version")}, kWatchdogMs, environment);
    QCOMPARE(version.exitCode, 0);
    QVERIFY2(version.output.contains(vorel::version::kText), version.output.constData());

    // The demonstration: its site needs the installed templates, and logging is on from
    // the first start, into the demonstration's own data folder.
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.setWorkingDirectory(home.path());
    program.start(installed(QStringLiteral("usr/bin/vorel")), {QStringLiteral("--demo")});
    const QString log = home.filePath(QStringLiteral("data/Quenlow/Ubrix Vorel Demo/logfile.txt"));
    QElapsedTimer watchdog;
    watchdog.start();
    while (!QFile::exists(log) && program.state() != QProcess::NotRunning &&
           watchdog.elapsed() < kWatchdogMs) {
        program.waitForFinished(100);
    }
    // Still up a moment later: nothing it met while starting made it give up.
    const bool running = program.state() == QProcess::Running && !program.waitForFinished(1000);
    program.kill();
    program.waitForFinished();
    QVERIFY2(running, program.readAll().constData());
    QVERIFY(QFile::exists(log));
    QVERIFY(!QFile::exists(home.filePath(QStringLiteral("logfile.txt"))));
}

QTEST_MAIN(TestDebianPackage)
#include "TestDebianPackage.moc"
