#include "CCliOptions.h"

#include <QTest>

using Command = CCliOptions::Command;

// The command line of vorel-cli: what it accepts, and that everything else is refused
// with a reason rather than guessed at.
class TestCliOptions : public QObject {
    Q_OBJECT

private slots:
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void helpNamesEveryCommand();
};

void TestCliOptions::accepted_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("target");
    QTest::newRow("discover") << QStringList{"discover"} << int(Command::Discover) << QString();
    QTest::newRow("query") << QStringList{"query", "10.0.0.1"} << int(Command::Query)
                           << QString("10.0.0.1");
    QTest::newRow("send with blanks") << QStringList{"send", "&NAME=a b;", "--to", "10.0.0.2"}
                                      << int(Command::Send) << QString("&NAME=a b;");
    QTest::newRow("options before command")
        << QStringList{"--loopback", "--recv-port", "4001", "monitor"} << int(Command::Monitor)
        << QString();
    QTest::newRow("collect") << QStringList{"collect", "--map", "site.xml"} << int(Command::Collect)
                             << QString();
    QTest::newRow("help anywhere")
        << QStringList{"bogus", "--help"} << int(Command::Help) << QString();
    QTest::newRow("adapters") << QStringList{"adapters"} << int(Command::Adapters) << QString();
}

void TestCliOptions::accepted() {
    QFETCH(QStringList, arguments);
    arguments.prepend(QStringLiteral("vorel-cli"));
    const CCliOptions options = CCliOptions::parse(arguments);
    QVERIFY2(options.error.isEmpty(), qPrintable(options.error));
    QTEST(int(options.command), "command");
    QTEST(options.target, "target");
}

void TestCliOptions::refused_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");
    QTest::newRow("nothing") << QStringList{} << QString("no command given");
    QTest::newRow("unknown command") << QStringList{"scan"} << QString("unknown command");
    QTest::newRow("unknown option")
        << QStringList{"discover", "--fast"} << QString("unknown option --fast");
    QTest::newRow("query without address")
        << QStringList{"query"} << QString("query takes one gateway address");
    QTest::newRow("send two texts")
        << QStringList{"send", "a", "b"} << QString("send takes one command text");
    QTest::newRow("collect without map")
        << QStringList{"collect"} << QString("collect needs --map FILE");
    QTest::newRow("port out of range")
        << QStringList{"discover", "--send-port", "70000"}
        << QString("--send-port takes a whole number from 1 to 65535");
    QTest::newRow("port not a number")
        << QStringList{"discover", "--recv-port", "x"}
        << QString("--recv-port takes a whole number from 1 to 65535");
    QTest::newRow("missing value")
        << QStringList{"discover", "--adapter"} << QString("--adapter needs a value");
    QTest::newRow("stray argument")
        << QStringList{"discover", "now"} << QString("unexpected argument now");
}

void TestCliOptions::refused() {
    QFETCH(QStringList, arguments);
    arguments.prepend(QStringLiteral("vorel-cli"));
    QTEST(CCliOptions::parse(arguments).error, "reason");
}

void TestCliOptions::helpNamesEveryCommand() {
    const QString help = CCliOptions::helpText();
    for (const char* command :
         {"adapters", "discover", "query IP", "send TEXT", "monitor", "collect --map FILE"}) {
        QVERIFY2(help.contains(QLatin1String(command)), command);
    }
    QVERIFY(help.contains(QStringLiteral("Exit codes")));
}

QTEST_APPLESS_MAIN(TestCliOptions)
#include "TestCliOptions.moc"
