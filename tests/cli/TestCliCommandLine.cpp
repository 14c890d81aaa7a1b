#include "cli/CCliCommandLine.h"
#include "cli/CCliCommandTable.h"

#include <QCommandLineOption>
#include <QHash>
#include <QTest>

using Outcome = CCliCommandLine::Outcome;

// The command line of vorel-cli: what it accepts, and that everything else is refused
// with a reason that names what was wrong rather than guessed at.
class TestCliCommandLine : public QObject {
    Q_OBJECT

private slots:
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void printed_data();
    void printed();
    void commandsAgreeOnSharedOptions();
};

namespace {
CCliCommandLine parse(QStringList arguments) {
    arguments.prepend(QStringLiteral("vorel-cli"));
    return CCliCommandLine::parse(arguments);
}
}  // namespace

void TestCliCommandLine::accepted_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("command");
    QTest::newRow("discover") << QStringList{"discover"} << "discover";
    QTest::newRow("query") << QStringList{"query", "10.0.0.1", "--json"} << "query";
    QTest::newRow("send with blanks")
        << QStringList{"send", "&NAME=a b;", "--to", "10.0.0.2", "--cr"} << "send";
    QTest::newRow("common options before the command")
        << QStringList{"--loopback", "--recv-port", "4001", "monitor", "--filter", "x"}
        << "monitor";
    QTest::newRow("collect") << QStringList{"collect", "--map", "site.xml"} << "collect";
    QTest::newRow("collect one gateway after another, retries")
        << QStringList{"--retries", "4", "collect", "--map", "site.xml", "--sequential"}
        << "collect";
    QTest::newRow("adapters") << QStringList{"adapters"} << "adapters";
    QTest::newRow("set, value with blanks and =")
        << QStringList{"set", "10.0.0.2", "TELNET.PASSWORD=a b=c"} << "set";
    QTest::newRow("restart") << QStringList{"restart", "10.0.0.2"} << "restart";
    QTest::newRow("keypad") << QStringList{"keypad", "2.1.0", "recall", "3", "--to", "10.0.0.2"}
                            << "keypad";
    QTest::newRow("keypad motor") << QStringList{"keypad", "motor", "1.1.1", "goto", "37.5"}
                                  << "keypad";
}

void TestCliCommandLine::accepted() {
    QFETCH(QStringList, arguments);
    const CCliCommandLine line = parse(arguments);
    QVERIFY2(line.outcome == Outcome::Run, qPrintable(line.text));
    QTEST(line.command->name(), "command");
    QCOMPARE(line.options.receivePort, arguments.contains("--recv-port") ? 4001 : 4000);
    QCOMPARE(line.options.retries, arguments.contains("--retries") ? 4 : 2);
}

void TestCliCommandLine::refused_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");
    QTest::newRow("nothing") << QStringList{} << "no command given";
    QTest::newRow("unknown command") << QStringList{"scan"} << "unknown command 'scan'";
    QTest::newRow("unknown option")
        << QStringList{"discover", "--fast"} << "Unknown option 'fast'.";
    QTest::newRow("another command's option")
        << QStringList{"discover", "--map", "x.xml"} << "option '--map' does not go with discover";
    QTest::newRow("query without address")
        << QStringList{"query"} << "query takes one gateway address";
    QTest::newRow("send two texts")
        << QStringList{"send", "a", "b"} << "send takes one command text";
    QTest::newRow("collect without map") << QStringList{"collect"} << "collect needs --map FILE";
    QTest::newRow("retries out of range")
        << QStringList{"collect", "--map", "m.xml", "--retries", "11"}
        << "--retries takes a whole number from 0 to 10";
    QTest::newRow("sequential is no option of discover")
        << QStringList{"discover", "--sequential"}
        << "option '--sequential' does not go with discover";
    QTest::newRow("port out of range") << QStringList{"discover", "--send-port", "70000"}
                                       << "--send-port takes a whole number from 1 to 65535";
    QTest::newRow("port not a number") << QStringList{"discover", "--recv-port", "x"}
                                       << "--recv-port takes a whole number from 1 to 65535";
    QTest::newRow("duration not a number") << QStringList{"monitor", "--duration", "-1"}
                                           << "--duration takes a whole number from 0 to 31536000";
    QTest::newRow("missing value")
        << QStringList{"discover", "--adapter"} << "Missing value after '--adapter'.";
    QTest::newRow("stray argument")
        << QStringList{"discover", "now"} << "unexpected argument 'now'";
    QTest::newRow("set without a value")
        << QStringList{"set", "10.0.0.2", "NAME"} << "set takes PATH=VALUE, not NAME";
    QTest::newRow("set, a key of one letter is a port")
        << QStringList{"set", "10.0.0.2", "A=1"} << "A names no setting";
    QTest::newRow("keypad address of two parts")
        << QStringList{"keypad", "2.1", "on"}
        << "keypad: '2.1' is no keypad address: three numbers from 0 to 255, as in 2.1.0";
    QTest::newRow("keypad level out of range") << QStringList{"keypad", "2.1.0", "set", "241"}
                                               << "keypad: 'set' needs a number from 0 to 240";
    QTest::newRow("restart two gateways")
        << QStringList{"restart", "10.0.0.2", "10.0.0.3"} << "restart takes one gateway address";
}

void TestCliCommandLine::refused() {
    QFETCH(QStringList, arguments);
    const CCliCommandLine line = parse(arguments);
    QVERIFY(line.outcome == Outcome::Refuse);
    QTEST(line.text, "reason");
}

void TestCliCommandLine::printed_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("contains");
    QTest::newRow("help") << QStringList{"--help"}
                          << QStringList{"adapters", "discover", "query IP",   "send TEXT",
                                         "monitor",  "collect",  "Exit codes", "130  interrupted"};
    QTest::newRow("help after a wrong word")
        << QStringList{"bogus", "--help"} << QStringList{"Usage: vorel-cli COMMAND"};
    QTest::newRow("help of collect") << QStringList{"collect", "--help"}
                                     << QStringList{"Usage: vorel-cli collect [OPTIONS]",
                                                    "registers the",
                                                    "devices of every bus",
                                                    "not read-only",
                                                    "--map FILE",
                                                    "--sequential",
                                                    "--retries",
                                                    "--adapter"};
    QTest::newRow("help command") << QStringList{"help", "monitor"}
                                  << QStringList{"--filter TEXT", "--duration S"};
    QTest::newRow("version") << QStringList{"--version"} << QStringList{"vorel-cli 1."};
}

void TestCliCommandLine::printed() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, contains);
    const CCliCommandLine line = parse(arguments);
    QVERIFY(line.outcome == Outcome::Print);
    for (const QString& text : contains) {
        QVERIFY2(line.text.contains(text), qPrintable(text + QStringLiteral(" in\n") + line.text));
    }
}

// One parse reads every command's options: an option two commands share must be the
// same option, or the parser would read one of them wrongly.
void TestCliCommandLine::commandsAgreeOnSharedOptions() {
    QHash<QString, QString> valueNames;
    for (const QCommandLineOption& option : CCliOptions::common()) {
        valueNames.insert(option.names().front(), option.valueName());
    }
    for (const auto& command : CCliCommandTable::commands()) {
        for (const QCommandLineOption& option : command->options()) {
            const QString name = option.names().front();
            if (valueNames.contains(name)) {
                QCOMPARE(option.valueName(), valueNames.value(name));
            }
            valueNames.insert(name, option.valueName());
        }
    }
}

QTEST_APPLESS_MAIN(TestCliCommandLine)
#include "TestCliCommandLine.moc"
