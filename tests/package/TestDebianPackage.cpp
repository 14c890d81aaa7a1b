#include "core/common/Version.h"
#include "core/plan/CModelTemplates.h"
#include "support/CTestLan.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The Debian package of this build, as scripts/package makes it: built with CPack, checked
// by Debian's lintian and the AppStream validator, unpacked into a throw-away root, its
// files, dependencies, desktop entry, manual pages and shell completion checked, and the
// unpacked programs started from there: the simulator and the program's demonstration
// find their model templates in the package's data folder, and the program logs into the
// user's data folder.
class TestDebianPackage : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void holdsTheProgramsAndTheirData();
    void dependsOnTheQtAndPugixmlRuntime();
    void desktopEntryIsValidAndNamesWhatIsInstalled();
    void lintianFindsNoErrorOrWarning();
    void appStreamDataIsValid();
    void changelogAndReleasesNameThisVersion();
    void manualPagesTellWhatTheProgramsTake_data();
    void manualPagesTellWhatTheProgramsTake();
    void shellCompletionOffersWhatTheProgramsTake_data();
    void shellCompletionOffersWhatTheProgramsTake();
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
constexpr int kLintianMs = 240000;
const QString kMetainfo = QStringLiteral("usr/share/metainfo/example.quenlow.vorel.metainfo.xml");

QString tool(const char* name) {
    return QStandardPaths::findExecutable(QLatin1String(name));
}

// The lines of a checker's report that are findings of these severities ("E: ...").
QList<QByteArray> findings(const QByteArray& report, const QList<QByteArray>& severities) {
    QList<QByteArray> found;
    for (const QByteArray& line : report.split('\n')) {
        for (const QByteArray& severity : severities) {
            if (line.startsWith(severity + ": ")) {
                found << line;
            }
        }
    }
    return found;
}

// Completes the last of the words as bash does on Tab, with the package's completion for
// the first word and its programs first on the path; prints one candidate a line.
const char* const kCompleteScript = R"(
source /usr/share/bash-completion/bash_completion
source "$1"
shift
COMP_WORDS=("$@")
COMP_CWORD=$(($# - 1))
COMP_LINE="$*"
COMP_POINT=${#COMP_LINE}
function=$(complete -p "$1" | sed -n 's/.*-F \([^ ]*\).*/\1/p')
"$function" "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
printf '%s\n' "${COMPREPLY[@]}"
)";

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

void TestDebianPackage::lintianFindsNoErrorOrWarning() {
    if (tool("lintian").isEmpty()) {
        QSKIP("lintian is not installed: run scripts/setup");
    }
    const Run checked =
        run(tool("lintian"),
            {QStringLiteral("--fail-on"), QStringLiteral("error,warning"), m_package}, kLintianMs);
    const QList<QByteArray> found = findings(checked.output, {"E", "W"});
    QVERIFY2(found.isEmpty(), found.join('\n').constData());
    QVERIFY2(checked.exitCode == 0, checked.output.constData());
}

void TestDebianPackage::appStreamDataIsValid() {
    if (tool("appstreamcli").isEmpty()) {
        QSKIP("appstreamcli is not installed: run scripts/setup");
    }
    // The notes left are the README's: the placeholder domain of the component's name.
    const Run checked =
        run(tool("appstreamcli"), {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                   QStringLiteral("--pedantic"), installed(kMetainfo)});
    const QList<QByteArray> found = findings(checked.output, {"E", "W", "P"});
    QVERIFY2(found.isEmpty(), found.join('\n').constData());
    QVERIFY2(checked.exitCode == 0, checked.output.constData());

    QFile file(installed(kMetainfo));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray metainfo = file.readAll();
    QVERIFY(metainfo.contains("<launchable type=\"desktop-id\">ubrix-vorel.desktop</launchable>"));
    QVERIFY(QFile::exists(installed(QStringLiteral("usr/share/applications/ubrix-vorel.desktop"))));
    // The screenshot it shows is the one kept with the sources.
    QVERIFY(metainfo.contains("/screenshots/demo.png</image>"));
    QVERIFY(QFile::exists(QStringLiteral(VOREL_SOURCE_DIR "/resources/screenshots/demo.png")));
}

void TestDebianPackage::changelogAndReleasesNameThisVersion() {
    const Run changelog =
        run(QStringLiteral("gzip"),
            {QStringLiteral("-dc"),
             installed(QStringLiteral("usr/share/doc/ubrix-vorel/changelog.gz"))});
    QCOMPARE(changelog.exitCode, 0);
    const QByteArray version = vorel::version::kText;
    QVERIFY2(changelog.output.startsWith("ubrix-vorel (" + version + ") "),
             changelog.output.left(80).constData());

    QFile metainfo(installed(kMetainfo));
    QVERIFY(metainfo.open(QIODevice::ReadOnly));
    const QByteArray text = metainfo.readAll();
    const qsizetype firstRelease = text.indexOf("<release ");
    QVERIFY(firstRelease > 0);
    QVERIFY2(text.mid(firstRelease).startsWith("<release version=\"" + version + "\""),
             text.mid(firstRelease, 60).constData());

    QFile copyright(installed(QStringLiteral("usr/share/doc/ubrix-vorel/copyright")));
    QVERIFY(copyright.open(QIODevice::ReadOnly));
    QVERIFY(copyright.readAll().contains("\n Copyright (C) 2026 Quenlow. All rights reserved.\n"));
}

void TestDebianPackage::manualPagesTellWhatTheProgramsTake_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("told");
    QTest::newRow("vorel") << "vorel"
                           << QStringList{"vorel - set up and control", "--demo",
                                          "--settings <file>", "--version", "Ubrix Vorel.ini"};
    QTest::newRow("vorel-cli") << "vorel-cli" << QStringList{"COMMANDS",
                                                             "vorel-cli collect [OPTIONS]",
                                                             "--pacing fixed|replies",
                                                             "--map FILE",
                                                             "vorel-cli presets FILE.cms [OPTIONS]",
                                                             "130    interrupted"};
    QTest::newRow("vorel-sim") << "vorel-sim"
                               << QStringList{"vorel-sim - a simulated site", "--gateways <n>",
                                              "--templates <dir>", "vorel-sim 1."};
}

void TestDebianPackage::manualPagesTellWhatTheProgramsTake() {
    QFETCH(QString, program);
    QFETCH(QStringList, told);
    if (tool("man").isEmpty()) {
        QSKIP("man is not installed: run scripts/setup");
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Wide enough that no line is broken inside what is looked for.
    environment.insert(QStringLiteral("MANWIDTH"), QStringLiteral("250"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    const Run page = run(tool("man"),
                         {QStringLiteral("-l"),
                          installed(QStringLiteral("usr/share/man/man1/%1.1.gz").arg(program))},
                         kWatchdogMs, environment);
    QCOMPARE(page.exitCode, 0);
    for (const QString& text : told) {
        QVERIFY2(page.output.contains(text.toUtf8()), qPrintable(text));
    }
}

void TestDebianPackage::shellCompletionOffersWhatTheProgramsTake_data() {
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QStringList>("offered");
    QTest::newRow("command") << QStringList{"vorel-cli", "pro"} << QStringList{"project"};
    QTest::newRow("command to explain")
        << QStringList{"vorel-cli", "help", "mon"} << QStringList{"monitor"};
    QTest::newRow("option of every command")
        << QStringList{"vorel-cli", "--loop"} << QStringList{"--loopback"};
    QTest::newRow("option of a command")
        << QStringList{"vorel-cli", "collect", "--ma"} << QStringList{"--map"};
    QTest::newRow("choice of an option")
        << QStringList{"vorel-cli", "upload", "--pacing", ""} << QStringList{"fixed", "replies"};
    QTest::newRow("file of an option")
        << QStringList{"vorel-cli", "collect", "--map", "@/si"} << QStringList{"@/site.xml"};
    QTest::newRow("action of a command")
        << QStringList{"vorel-cli", "project", "ch"} << QStringList{"check"};
    QTest::newRow("file of a command") << QStringList{"vorel-cli", "project", "show", "@/"}
                                       << QStringList{"@/presets.cms", "@/site.xml", "@/templates"};
    QTest::newRow("file of its kind")
        << QStringList{"vorel-cli", "presets", "@/"} << QStringList{"@/presets.cms", "@/templates"};
    QTest::newRow("what a user types")
        << QStringList{"vorel-cli", "set", "10.0.0.1", ""} << QStringList{};
    QTest::newRow("simulator's option")
        << QStringList{"vorel-sim", "--gateway-t"} << QStringList{"--gateway-types"};
    QTest::newRow("simulator's folder")
        << QStringList{"vorel-sim", "--templates", "@/"} << QStringList{"@/templates"};
    QTest::newRow("simulator's number")
        << QStringList{"vorel-sim", "--gateways", ""} << QStringList{};
}

void TestDebianPackage::shellCompletionOffersWhatTheProgramsTake() {
    QFETCH(QStringList, words);
    QFETCH(QStringList, offered);
    if (!QFile::exists(QStringLiteral("/usr/share/bash-completion/bash_completion"))) {
        QSKIP("bash-completion is not installed: run scripts/setup");
    }
    // "@" stands for a folder of a project, a map, a preset file and a folder.
    QTemporaryDir files;
    QVERIFY(QDir(files.path()).mkdir(QStringLiteral("templates")));
    for (const char* name : {"site.xml", "presets.cms"}) {
        QFile file(files.filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    words.replaceInStrings(QStringLiteral("@"), files.path());
    offered.replaceInStrings(QStringLiteral("@"), files.path());

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), installed(QStringLiteral("usr/bin")) +
                                                   QLatin1Char(':') +
                                                   environment.value(QStringLiteral("PATH")));
    const QString completion =
        installed(QStringLiteral("usr/share/bash-completion/completions/") + words.front());
    const Run completed = run(QStringLiteral("bash"),
                              QStringList{QStringLiteral("-c"), QLatin1String(kCompleteScript),
                                          QStringLiteral("complete"), completion} +
                                  words,
                              kWatchdogMs, environment);
    QCOMPARE(completed.exitCode, 0);
    QStringList candidates = QString::fromUtf8(completed.output).split(QLatin1Char('\n'));
    candidates.removeAll(QString());
    candidates.sort();
    QCOMPARE(candidates, offered);
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

    // Help and version need no display.
    QProcessEnvironment noDisplay = environment;
    for (const char* variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        noDisplay.remove(QLatin1String(variable));
    }
    const Run version = run(installed(QStringLiteral("usr/bin/vorel")),
                            {QStringLiteral("--version")}, kWatchdogMs, noDisplay);
    QCOMPARE(version.exitCode, 0);
    QVERIFY2(version.output.contains(vorel::version::kText), version.output.constData());
    const Run help = run(installed(QStringLiteral("usr/bin/vorel")), {QStringLiteral("--help")},
                         kWatchdogMs, noDisplay);
    QCOMPARE(help.exitCode, 0);
    QVERIFY2(help.output.contains("--demo") && help.output.contains("--version"),
             help.output.constData());

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
