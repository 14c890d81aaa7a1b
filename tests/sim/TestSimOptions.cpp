#include "core/transport/CIpv4Address.h"
#include "sim/CSimOptions.h"

#include <QTest>

namespace {

std::optional<CSimOptions> parse(const QStringList& arguments, QString* message = nullptr) {
    QString text;
    bool help = false;
    auto options = CSimOptions::parse(QStringList{"vorel-sim"} + arguments, text, help);
    if (message != nullptr) {
        *message = text;
    }
    return options;
}

QList<quint32> addresses(std::initializer_list<const char*> dotted) {
    QList<quint32> made;
    for (const char* text : dotted) {
        made.append(CIpv4Address::fromDotted(text));
    }
    return made;
}

}  // namespace

// vorel-sim's command line.
class TestSimOptions : public QObject {
    Q_OBJECT

private slots:
    void defaults();
    void readsEveryOption();
    void countsAddressesUpFromTheBase();
    void loopbackSiteAnswersLoopbackOnly();
    void refusesWrongValues_data();
    void refusesWrongValues();
    void helpIsNoError();
};

void TestSimOptions::defaults() {
    const auto options = parse({});
    QVERIFY(options);
    QCOMPARE(options->site.addresses, addresses({"10.77.1.10"}));
    QCOMPARE(options->site.devicesPerGateway, 4);
    QCOMPARE(options->site.unaddressedPerGateway, 0);
    QVERIFY(options->site.deviceTypes.isEmpty());
    QVERIFY(options->site.gatewayTypes.isEmpty());
    QCOMPARE(options->network.sendPort, 5000);
    QCOMPARE(options->network.replyPort, 4000);
    QCOMPARE(options->network.controlPort, 0);
    QVERIFY(options->network.limitedBroadcast);
    QCOMPARE(options->network.allowedMask, 0u);
    QVERIFY(options->faults.isNone());
    QCOMPARE(options->restartSilenceMs, 3000);
    QVERIFY(!options->typesFromSchema);
    QVERIFY(!options->quiet);
}

void TestSimOptions::readsEveryOption() {
    const auto options = parse({"--addresses",
                                "10.0.0.5,10.0.0.9",
                                "--devices",
                                "20",
                                "--send-port",
                                "5100",
                                "--recv-port",
                                "4100",
                                "--types",
                                "LUMET_AC, TAVO_A",
                                "--gateway-types",
                                "UBRIX_C",
                                "--unaddressed",
                                "2",
                                "--drop",
                                "0.1",
                                "--drop-commands",
                                "0.05",
                                "--delay-ms",
                                "50",
                                "--wrong-type",
                                "--malformed-share",
                                "0.2",
                                "--seed",
                                "42",
                                "--restart-silence-ms",
                                "500",
                                "--control-port",
                                "7000",
                                "--templates",
                                "/opt/models",
                                "--quiet",
                                "--gateway-ms",
                                "2",
                                "--bus-ms",
                                "40",
                                "--bus-setting-ms",
                                "8",
                                "--jitter-ms",
                                "5",
                                "--fault",
                                "2 12 silent",
                                "--fault",
                                "1  other-type"});
    QVERIFY(options);
    QCOMPARE(options->site.addresses, addresses({"10.0.0.5", "10.0.0.9"}));
    QCOMPARE(options->site.devicesPerGateway, 20);
    QCOMPARE(options->network.sendPort, 5100);
    QCOMPARE(options->network.replyPort, 4100);
    QCOMPARE(options->site.deviceTypes, QList<QByteArray>({"LUMET_AC", "TAVO_A"}));
    QCOMPARE(options->site.gatewayTypes, QList<QByteArray>({"UBRIX_C"}));
    QCOMPARE(options->site.unaddressedPerGateway, 2);
    QCOMPARE(options->faults.dropShare, 0.1);
    QCOMPARE(options->faults.commandDropShare, 0.05);
    QCOMPARE(options->faults.delayMs, 50);
    QVERIFY(options->faults.wrongType);
    QCOMPARE(options->faults.malformedShare, 0.2);
    QCOMPARE(options->faults.seed, 42u);
    QCOMPARE(options->restartSilenceMs, 500);
    QCOMPARE(options->network.controlPort, 7000);
    QCOMPARE(options->templateFolder, QStringLiteral("/opt/models"));
    QVERIFY(options->quiet);
    QCOMPARE(options->latency.gatewayMs, 2);
    QCOMPARE(options->latency.busMs, 40);
    QCOMPARE(options->latency.busPerSettingMs, 8);
    QCOMPARE(options->latency.jitterMs, 5);
    QCOMPARE(options->faultLines, QList<QByteArray>({"fault 2 12 silent", "fault 1 other-type"}));

    QCOMPARE(parse({"--malformed"})->faults.malformedShare, 1.0);
    const auto everyType = parse({"--types", "all"});
    QVERIFY(everyType->typesFromSchema);
    QVERIFY(everyType->site.deviceTypes.isEmpty());
}

void TestSimOptions::countsAddressesUpFromTheBase() {
    const auto options = parse({"--gateways", "3", "--base-address", "10.0.0.252"});
    QVERIFY(options);
    QCOMPARE(options->site.addresses, addresses({"10.0.0.252", "10.0.0.253", "10.0.0.254"}));
    // The count never reaches an address ending in 255.
    QVERIFY(!parse({"--gateways", "3", "--base-address", "10.0.0.253"}));
}

void TestSimOptions::loopbackSiteAnswersLoopbackOnly() {
    const auto options = parse({"--gateways", "2", "--base-address", "127.0.0.2"});
    QVERIFY(options);
    QVERIFY(!options->network.limitedBroadcast);
    QCOMPARE(options->network.allowedNetwork, CIpv4Address::fromDotted("127.0.0.0"));
    QCOMPARE(options->network.allowedMask, CIpv4Address::fromDotted("255.0.0.0"));
    // One address elsewhere and the site is a site of the LAN.
    const auto mixed = parse({"--addresses", "127.0.0.2,10.0.0.2"});
    QVERIFY(mixed->network.limitedBroadcast);
    QCOMPARE(mixed->network.allowedMask, 0u);
}

void TestSimOptions::refusesWrongValues_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no gateways") << QStringList{"--gateways", "0"}
                                 << "invalid value for --gateways: 0";
    QTest::newRow("too many devices")
        << QStringList{"--devices", "1000"} << "invalid value for --devices: 1000";
    QTest::newRow("past the last address")
        << QStringList{"--gateways", "4", "--base-address", "10.0.0.253"}
        << "invalid value for --base-address: 10.0.0.253";
    QTest::newRow("base that is no address")
        << QStringList{"--base-address", "10.0.0"} << "invalid value for --base-address: 10.0.0";
    QTest::newRow("address list with a word") << QStringList{"--addresses", "10.0.0.5,gateway"}
                                              << "invalid value for --addresses: gateway";
    QTest::newRow("empty address list")
        << QStringList{"--addresses", ","} << "invalid value for --addresses: ,";
    QTest::newRow("port zero") << QStringList{"--recv-port", "0"}
                               << "invalid value for --recv-port: 0";
    QTest::newRow("share above one")
        << QStringList{"--drop", "1.5"} << "invalid value for --drop: 1.5";
    QTest::newRow("share of commands below zero")
        << QStringList{"--drop-commands", "-0.1"} << "invalid value for --drop-commands: -0.1";
    QTest::newRow("share that is no number")
        << QStringList{"--malformed-share", "some"} << "invalid value for --malformed-share: some";
    QTest::newRow("negative bus time")
        << QStringList{"--bus-ms", "-1"} << "invalid value for --bus-ms: -1";
    QTest::newRow("negative delay")
        << QStringList{"--delay-ms", "-5"} << "invalid value for --delay-ms: -5";
    QTest::newRow("seed that is no number")
        << QStringList{"--seed", "x"} << "invalid value for --seed: x";
    QTest::newRow("stray argument") << QStringList{"gateways"} << "unexpected argument: gateways";
    QTest::newRow("unknown option") << QStringList{"--gateway", "2"} << "Unknown option 'gateway'.";
}

void TestSimOptions::refusesWrongValues() {
    QFETCH(QStringList, arguments);
    QString message;
    QVERIFY(!parse(arguments, &message));
    QTEST(message, "message");
}

void TestSimOptions::helpIsNoError() {
    QString message;
    bool help = false;
    QVERIFY(!CSimOptions::parse({"vorel-sim", "--help"}, message, help));
    QVERIFY(help);
    QVERIFY(message.contains("--control-port"));
    QVERIFY(message.contains("ip addr add"));
}

QTEST_GUILESS_MAIN(TestSimOptions)
#include "TestSimOptions.moc"
