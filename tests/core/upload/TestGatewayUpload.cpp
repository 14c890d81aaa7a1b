#include "UploadTestSupport.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/protocol/CValueValidator.h"
#include "core/upload/CGatewayUpload.h"

#include <QTest>

using namespace uploadtest;
using Lines = QList<QByteArray>;

namespace {

const QByteArray kStart = "->Upload Start";

CSimSiteConfig twoGateways() {
    CSimSiteConfig config;
    config.addresses = {ip("10.0.0.2"), ip("10.0.0.3")};
    config.gatewayTypes = {"UBRIX_A"};
    return config;
}

QByteArray gateway(const char* address, const QByteArray& settings) {
    return "<UBRIX IP='" + QByteArray(address) + "'>" + settings + "</UBRIX>";
}

QByteArray typed(const char* address, const QByteArray& settings) {
    return gateway(address, "<TYPE>UBRIX_A</TYPE>" + settings);
}

}  // namespace

// The gateway upload on a simulated site, on virtual time: every outcome and pause, the
// exact texts on the wire and in the traffic, and the mends.
class TestGatewayUpload : public QObject {
    Q_OBJECT

private slots:
    void uploads_data();
    void uploads();
    void bothPacingsSendTheSameTextsAndRepliesAreFaster();
    void stopInAPauseEndsAtOnce();
    void deviceLeftInThePlanIsNotFoundWhenSilent();
    void logLinesAreNeverTakenForReplies();
    void previewDifferencesAreWhatTheRunSends();
    void repeatsAndTheSummary_data();
    void repeatsAndTheSummary();
    void gatewaysAreUploadedAtTheSameTime();
    void lossInBothDirections();
};

void TestGatewayUpload::uploads_data() {
    QTest::addColumn<QByteArray>("project");
    QTest::addColumn<QByteArray>("setup");
    QTest::addColumn<Lines>("wire");
    QTest::addColumn<Lines>("log");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<qint64>("elapsedMs");
    const QStringList none;

    QTest::newRow("no gateways") << QByteArray() << QByteArray() << Lines{} << Lines{kStart} << none
                                 << qint64(700 + 2000);
    QTest::newRow("no TYPE in the project: nothing sent, not even the query")
        << gateway("10.0.0.2", "<NAME>Hall</NAME>") << QByteArray() << Lines{}
        << Lines{kStart, "->Upload Error: IP 10.0.0.2 has no TYPE description in Template"} << none
        << qint64(700 + 500 + 2000);
    QTest::newRow("everything matches")
        << typed("10.0.0.2", "<NAME>Ubrix 1</NAME><NETWORK><DHCP>ENABLE</DHCP></NETWORK>")
        << QByteArray() << Lines{"10.0.0.2 &=?"}
        << Lines{kStart, "->Upload object match: UBRIX_A ->UBRIX_A",
                 "->Upload object match: Ubrix 1 ->Ubrix 1",
                 "->Upload object match: ENABLE ->ENABLE"}
        << none << qint64(700 + 3000 + 2000);
    QTest::newRow("differences, each outcome, connection settings last")
        << typed("10.0.0.2",
                 "<UDP><SEND_PORT>4000</SEND_PORT><REMOTE_IP>10.0.0.1</REMOTE_IP></UDP>"
                 "<NAME>Hall</NAME><PORT P='C'><SERIAL><TYPE>RS485</TYPE></SERIAL></PORT>"
                 "<PORT P='B'><SERIAL><TYPE>RS485</TYPE></SERIAL></PORT>"
                 "<TELNET><TIMEOUT>600</TIMEOUT><STATE>maybe</STATE><PASSWORD/></TELNET>"
                 "<VERSION_HW>9.9</VERSION_HW><NETWORK><GATEWAY>x</GATEWAY></NETWORK>"
                 "<ALIAS>never reported</ALIAS>")
        << QByteArray()
        << Lines{"10.0.0.2 &=?", "10.0.0.2 &NAME=Hall", "10.0.0.2 &C.SERIAL.TYPE=RS485",
                 "10.0.0.2 &TELNET.TIMEOUT=600", "10.0.0.2 &UDP.REMOTE_IP=10.0.0.1"}
        << Lines{kStart,
                 "->Upload object match: UBRIX_A ->UBRIX_A",
                 "->Upload object miss match: Ubrix 1 template-> Hall device-> Ubrix 1",
                 "->Upload object miss match: NONE template-> RS485 device-> NONE",
                 "->Upload object miss match: 300 template-> 600 device-> 300",
                 "->Upload object match: 4000 ->4000",
                 "->Upload object miss match: 255.255.255.255 template-> 10.0.0.1 device-> "
                 "255.255.255.255"}
        << none << qint64(700 + 3000 + 4 * 100 + 2000);
    QTest::newRow("not found: one box, the next gateway 500 ms later")
        << typed("10.0.0.9", "<NAME>Hall</NAME>") + typed("10.0.0.3", "<NAME>Ubrix 2</NAME>")
        << QByteArray() << Lines{"10.0.0.9 &=?", "10.0.0.3 &=?"}
        << Lines{kStart, "Upload Error: Ubrix 10.0.0.9  not found on network",
                 "->Upload object match: UBRIX_A ->UBRIX_A",
                 "->Upload object match: Ubrix 2 ->Ubrix 2"}
        << QStringList{"Upload Error: Ubrix 10.0.0.9  not found on network\n"}
        << qint64(700 + 3000 + 500 + 3000 + 2000);
    QTest::newRow("another type: nothing set, no pause")
        << gateway("10.0.0.2", "<TYPE>UBRIX_B</TYPE><NAME>Hall</NAME>") << QByteArray()
        << Lines{"10.0.0.2 &=?"} << Lines{kStart, "Upload Error: Ubrix 10.0.0.2  not same type"}
        << none << qint64(700 + 3000 + 2000);
    QTest::newRow("placeholder, broadcast and twice-listed addresses: nothing sent")
        << typed("0.0.0.1", "<NAME>A</NAME>") + typed("10.0.0.3", "<NAME>B</NAME>") +
               typed("255.255.255.255", "<NAME>C</NAME>") + typed("10.0.0.3", "<NAME>D</NAME>")
        << QByteArray() << Lines{}
        << Lines{kStart, "->Upload Error: IP 0.0.0.1 is no address a gateway can have yet",
                 "->Upload Error: IP 10.0.0.3 appears more than once in Template",
                 "->Upload Error: IP 255.255.255.255 is no address a gateway can have yet",
                 "->Upload Error: IP 10.0.0.3 appears more than once in Template"}
        << none << qint64(700 + 2000);
    QTest::newRow("TCP connection to another gateway: that gateway is left alone")
        << typed("10.0.0.2", "<NAME>Hall</NAME>") + typed("10.0.0.3", "<NAME>Lobby</NAME>")
        << QByteArray("tcp") << Lines{"10.0.0.2 &=?", "10.0.0.2 &NAME=Hall"}
        << Lines{kStart, "->Upload object match: UBRIX_A ->UBRIX_A",
                 "->Upload object miss match: Ubrix 1 template-> Hall device-> Ubrix 1",
                 "->Upload Error: IP 10.0.0.3 not sent: the TCP connection is to 10.0.0.2"}
        << none << qint64(700 + 3000 + 100 + 2000);
    QTest::newRow("failed send: one line, that gateway ends, the next goes on")
        << typed("10.0.0.2", "<NAME>Hall</NAME>") + typed("10.0.0.3", "<NAME>Lobby</NAME>")
        << QByteArray("fail") << Lines{"10.0.0.3 &=?", "10.0.0.3 &NAME=Lobby"}
        << Lines{kStart, "->Upload Error: send failed, upload of IP 10.0.0.2 ended",
                 "->Upload object match: UBRIX_A ->UBRIX_A",
                 "->Upload object miss match: Ubrix 2 template-> Lobby device-> Ubrix 2"}
        << none << qint64(700 + 3000 + 100 + 2000);
    QTest::newRow("value that would end the command is not sent")
        << typed("10.0.0.2", "<NAME>Hall;&amp;VERSION_HW=RESET</NAME>") << QByteArray()
        << Lines{"10.0.0.2 &=?"}
        << Lines{kStart, "->Upload object match: UBRIX_A ->UBRIX_A",
                 QByteArray("->Upload Error: NAME not sent: ") + CValueValidator::kSemicolon}
        << none << qint64(700 + 3000 + 2000);
}

void TestGatewayUpload::uploads() {
    QFETCH(QByteArray, project);
    QFETCH(QByteArray, setup);
    CUploadBench bench(twoGateways(), project);
    if (setup == "tcp") {
        bench.link->elsewhere[ip("10.0.0.3")] = "10.0.0.2";
    } else if (setup == "fail") {
        bench.link->failingSends = 1;
    }
    CGatewayUpload upload(bench.doc.doc(), *bench.link, oneByOne(CPacing::Fixed));
    QVERIFY(bench.run(upload));
    QTEST(bench.link->sent, "wire");
    QTEST(bench.logLines(), "log");
    QTEST(bench.link->errors, "boxes");
    QTEST(bench.elapsedMs(), "elapsedMs");
    QCOMPARE(upload.done(), upload.total());
    // What was sent is on the gateways now.
    for (const CUploadRow& row : upload.summary().devices.empty()
                                     ? std::vector<CUploadRow>()
                                     : upload.summary().devices.front().rows) {
        if (row.isSent()) {
            QCOMPARE(row.delivery, CUploadRow::Delivery::Confirmed);
        }
    }
}

void TestGatewayUpload::bothPacingsSendTheSameTextsAndRepliesAreFaster() {
    const QByteArray project = typed("10.0.0.2",
                                     "<NAME>Hall</NAME><TELNET><TIMEOUT>60</TIMEOUT>"
                                     "</TELNET>") +
                               typed("10.0.0.9", "<NAME>Gone</NAME>") +
                               typed("10.0.0.3", "<NAME>Lobby</NAME>");
    qint64 elapsed[2] = {0, 0};
    Lines wire[2];
    Lines log[2];
    for (const CPacing pacing : {CPacing::Fixed, CPacing::ByReplies}) {
        const int i = pacing == CPacing::Fixed ? 0 : 1;
        CSimSiteConfig config = twoGateways();
        CUploadBench bench(config, project);
        CSimLatency latency;
        latency.gatewayMs = 4;
        latency.jitterMs = 2;
        bench.site->setLatency(latency);
        CGatewayUpload upload(bench.doc.doc(), *bench.link, oneByOne(pacing));
        QVERIFY(bench.run(upload));
        elapsed[i] = bench.elapsedMs();
        wire[i] = bench.link->sent;
        log[i] = bench.logLines();
        const CUploadSummary::Counts counts = upload.summary().counts();
        QCOMPARE(counts.sent, 3);
        QCOMPARE(counts.confirmed, 3);
        QCOMPARE(counts.notFound, 1);
        QCOMPARE(upload.summary().exitCode(), CUploadSummary::kExitPartly);
    }
    QCOMPARE(wire[1], wire[0]);
    QCOMPARE(log[1], log[0]);
    QCOMPARE(elapsed[0], qint64(700 + 3000 + 200 + 3000 + 500 + 3000 + 100 + 2000));
    // The silent gateway still costs its whole query pause and the pause after the box.
    QVERIFY2(elapsed[1] < 700 + 3000 + 500 + 2 * 400, qPrintable(QString::number(elapsed[1])));
}

void TestGatewayUpload::stopInAPauseEndsAtOnce() {
    CUploadBench bench(twoGateways(), typed("10.0.0.2", "<NAME>Hall</NAME>") +
                                          typed("10.0.0.3", "<NAME>Lobby</NAME>"));
    CGatewayUpload upload(bench.doc.doc(), *bench.link, oneByOne(CPacing::Fixed));
    QVERIFY(upload.start(bench.sequencer));
    bench.time->runUntil([] { return false; }, std::chrono::milliseconds(700 + 1000));
    QCOMPARE(bench.link->sent, Lines{"10.0.0.2 &=?"});
    upload.stop();
    QVERIFY(upload.isFinished());
    QCOMPARE(upload.summary().ending, CUploadSummary::Ending::Stopped);
    bench.time->runUntil([] { return false; }, std::chrono::minutes(1));
    QCOMPARE(bench.link->sent, Lines{"10.0.0.2 &=?"});
    QCOMPARE(bench.timers.activeTimerCount(), 0);
    QCOMPARE(upload.summary().counts().notReached, 2);
}

void TestGatewayUpload::deviceLeftInThePlanIsNotFoundWhenSilent() {
    CUploadBench bench(twoGateways(), typed("10.0.0.2", "<NAME>Hall</NAME>"));
    // An earlier refresh left the gateway in the plan; now it is silent.
    bench.doc.receive({"[08:00:00] (10.0.0.2) !TYPE=UBRIX_A;", "[08:00:00] (10.0.0.2) !NAME=Old;"});
    CSimDeviceFaults silent;
    silent.silent = true;
    QVERIFY(bench.site->setDeviceFaults(0, std::nullopt, silent));
    CGatewayUpload upload(bench.doc.doc(), *bench.link, oneByOne(CPacing::ByReplies));
    QVERIFY(bench.run(upload));
    QCOMPARE(bench.link->sent, Lines{"10.0.0.2 &=?"});
    QCOMPARE(bench.link->errors,
             QStringList{"Upload Error: Ubrix 10.0.0.2  not found on network\n"});
    QCOMPARE(upload.summary().exitCode(), CUploadSummary::kExitNothingAnswered);
}

void TestGatewayUpload::logLinesAreNeverTakenForReplies() {
    CUploadBench bench(twoGateways(), typed("10.0.0.2", "<NAME>x=1</NAME>"));
    bench.site->gateways()[0].settings().set(CSettingAddress::parseWellFormed("NAME").value(),
                                             "A!B=C");
    CGatewayUpload upload(bench.doc.doc(), *bench.link, oneByOne(CPacing::ByReplies));
    QVERIFY(bench.run(upload));
    QCOMPARE(bench.logLines().back(),
             QByteArray("->Upload object miss match: A!B=C template-> x=1 device-> A!B=C"));
    // Shown at once, never parsed: no gateway without an address, nothing in the error log.
    QVERIFY(bench.doc.doc().plan().select_node("//UBRIX[@IP='']") == nullptr);
    QCOMPARE(bench.doc.errorLogText(), QByteArray());
    QCOMPARE(bench.link->sent, Lines({"10.0.0.2 &=?", "10.0.0.2 &NAME=x=1"}));
}

void TestGatewayUpload::previewDifferencesAreWhatTheRunSends() {
    const QByteArray project =
        typed("10.0.0.2",
              "<NAME>Hall</NAME><NETWORK><NETMASK>255.0.0.0</NETMASK></NETWORK>"
              "<PORT P='A'><SERIAL><POWER>DISABLE</POWER></SERIAL></PORT>") +
        typed("10.0.0.3", "<TELNET><PASSWORD>secret</PASSWORD></TELNET>");
    CUploadBench bench(twoGateways(), project);
    CUploadOptions preview{CPacing::ByReplies};
    preview.dryRun = true;
    CGatewayUpload dryRun(bench.doc.doc(), *bench.link, preview);
    QVERIFY(bench.run(dryRun));
    Lines previewed;
    for (const CDeviceOutcome& device : dryRun.summary().devices) {
        for (const CUploadRow& row : device.rows) {
            if (row.isSent()) {
                previewed.append(CIpv4Address::toDotted(ip(device.label.mid(3))) + " " +
                                 row.command);
            }
        }
    }
    QCOMPARE(bench.link->sent, Lines({"10.0.0.2 &=?", "10.0.0.3 &=?"}));
    QVERIFY(bench.logLines().isEmpty());
    QCOMPARE(dryRun.summary().counts().toSend, 4);

    bench.link->sent.clear();
    CGatewayUpload upload(bench.doc.doc(), *bench.link, oneByOne(CPacing::ByReplies));
    QVERIFY(bench.run(upload));
    Lines sets;
    for (const auto& received : bench.time->link().received()) {
        if (!received.text.contains('?')) {
            sets.append(CIpv4Address::toDotted(bench.site->gateways()[received.gateway].address()) +
                        " " + received.text);
        }
    }
    QCOMPARE(sets, previewed);
    QCOMPARE(upload.summary().exitCode(), CUploadSummary::kExitApplied);
}

void TestGatewayUpload::repeatsAndTheSummary_data() {
    QTest::addColumn<QByteArray>("fault");
    QTest::addColumn<int>("retries");
    QTest::addColumn<Lines>("wire");
    QTest::addColumn<QStringList>("summary");  // lines the end summary holds

    const QByteArray query = "10.0.0.2 &=?";
    const QByteArray set = "10.0.0.2 &NAME=Hall";
    const QByteArray asked = "10.0.0.2 &NAME=?;";
    QTest::newRow("silent: asked thrice, then not found")
        << QByteArray("silent") << 2 << Lines{query, query, query}
        << QStringList{"Not found: 1, type mismatch: 0, failed sends: 0",
                       "Sent again when no answer came: 2 queries, 0 settings",
                       "IP 10.0.0.2: not found"};
    QTest::newRow("silent, no retries: asked once")
        << QByteArray("silent") << 0 << Lines{query}
        << QStringList{"Not found: 1, type mismatch: 0, failed sends: 0", "IP 10.0.0.2: not found"};
    // The gateway keeps its value: asked for the setting, it reports the old one; the set
    // goes again, as many rounds as the retries allow, and the last answer stands.
    QTest::newRow("no echo: the set goes thrice, the setting is asked; three rounds, then named")
        << QByteArray("refuses-sets") << 2
        << Lines{query, set, set, set, asked, set, set, set, asked, set, set, set, asked}
        << QStringList{"Sent: 1, confirmed by echo: 0, without echo: 1",
                       "Sent again when no answer came: 3 queries, 8 settings",
                       "IP 10.0.0.2 NAME: sent, the device answered Ubrix 1"};
    QTest::newRow("no echo, one retry")
        << QByteArray("refuses-sets") << 1 << Lines{query, set, set, asked, set, set, asked}
        << QStringList{"Sent: 1, confirmed by echo: 0, without echo: 1",
                       "Sent again when no answer came: 2 queries, 3 settings"};
    QTest::newRow("no echo, no retries: not asked again")
        << QByteArray("refuses-sets") << 0 << Lines{query, set}
        << QStringList{"Sent: 1, confirmed by echo: 0, without echo: 1"};
    QTest::newRow("nothing lost: nothing sent again")
        << QByteArray() << 2 << Lines{query, set}
        << QStringList{"Sent: 1, confirmed by echo: 1, without echo: 0"};
}

void TestGatewayUpload::repeatsAndTheSummary() {
    QFETCH(QByteArray, fault);
    QFETCH(int, retries);
    QFETCH(QStringList, summary);
    CUploadBench bench(twoGateways(), typed("10.0.0.2", "<NAME>Hall</NAME>"));
    CSimDeviceFaults faults;
    faults.silent = fault == "silent";
    faults.refusesSets = fault == "refuses-sets";
    QVERIFY(bench.site->setDeviceFaults(0, std::nullopt, faults));
    CUploadOptions options;
    options.retries = retries;
    CGatewayUpload upload(bench.doc.doc(), *bench.link, options);
    QVERIFY(bench.run(upload));
    QTEST(bench.link->sent, "wire");
    const QStringList lines = upload.summary().lines();
    for (const QString& line : summary) {
        QVERIFY2(lines.contains(line), qPrintable(lines.join(QLatin1Char('\n'))));
    }
    // The repeats are named when there were any, and only then.
    const bool repeated = summary.join(QLatin1Char('\n')).contains(QStringLiteral("Sent again"));
    QCOMPARE(lines.join(QLatin1Char('\n')).contains(QStringLiteral("Sent again")), repeated);
}

void TestGatewayUpload::gatewaysAreUploadedAtTheSameTime() {
    const QByteArray project =
        typed("10.0.0.2", "<NAME>Hall</NAME><TELNET><TIMEOUT>60</TIMEOUT></TELNET>") +
        typed("10.0.0.3", "<NAME>Lobby</NAME>");
    CUploadBench bench(twoGateways(), project);
    CUploadOptions options;
    options.pacing = CPacing::Fixed;
    CGatewayUpload upload(bench.doc.doc(), *bench.link, options);
    QVERIFY(bench.run(upload));
    // Both queries go out together and each gateway's texts keep their order; the run
    // takes as long as its slowest gateway, not the sum.
    QCOMPARE(bench.link->sent.mid(0, 2), Lines({"10.0.0.2 &=?", "10.0.0.3 &=?"}));
    Lines first;
    for (const QByteArray& sent : bench.link->sent) {
        if (sent.startsWith("10.0.0.2 ")) {
            first.append(sent);
        }
    }
    QCOMPARE(first, Lines({"10.0.0.2 &=?", "10.0.0.2 &NAME=Hall", "10.0.0.2 &TELNET.TIMEOUT=60"}));
    QCOMPARE(bench.elapsedMs(), qint64(700 + 3000 + 2 * 100 + 2000));
    QCOMPARE(bench.logLines().count(kStart), 1);
    QCOMPARE(upload.summary().exitCode(), CUploadSummary::kExitApplied);
}

void TestGatewayUpload::lossInBothDirections() {
    const QByteArray changes =
        "<NAME>Hall</NAME><TELNET><TIMEOUT>60</TIMEOUT><LOGIN>ENABLE</LOGIN></TELNET>"
        "<PORT P='C'><SERIAL><TYPE>RS485</TYPE></SERIAL></PORT>"
        "<PORT P='A'><SERIAL><POWER>DISABLE</POWER></SERIAL></PORT>";
    CUploadBench bench(twoGateways(), typed("10.0.0.2", changes) + typed("10.0.0.3", changes));
    CSimFaults faults;
    faults.dropShare = 0.1;
    faults.commandDropShare = 0.1;
    faults.seed = 3;
    bench.site->setFaults(faults);
    CGatewayUpload upload(bench.doc.doc(), *bench.link, CUploadOptions());
    QVERIFY(bench.run(upload));
    const CUploadSummary::Counts counts = upload.summary().counts();
    QCOMPARE(counts.sent, 10);
    QCOMPARE(counts.confirmed, 10);
    QVERIFY(counts.queriesRepeated + counts.setsRepeated > 0);
    QVERIFY(bench.site->counters().dropped > 0 && bench.site->counters().commandsLost > 0);
    QCOMPARE(upload.summary().exitCode(), CUploadSummary::kExitApplied);
    // Both gateways at once, each asked for all its settings first; what went again is a
    // set, or a question about one setting of the project by name, never the whole gateway.
    QCOMPARE(bench.link->sent.mid(0, 2), Lines({"10.0.0.2 &=?", "10.0.0.3 &=?"}));
    const Lines asked{"&=?",
                      "&NAME=?;",
                      "&TELNET.TIMEOUT=?;",
                      "&TELNET.LOGIN=?;",
                      "&C.SERIAL.TYPE=?;",
                      "&A.SERIAL.POWER=?;",
                      "&TYPE=?;"};
    for (const QByteArray& sent : bench.link->sent) {
        const QByteArray text = sent.mid(sent.indexOf(' ') + 1);
        QVERIFY2(!text.contains('?') || asked.contains(text), sent.constData());
    }
    for (const CSimGateway& gateway : bench.site->gateways()) {
        QCOMPARE(
            gateway.settings().value(CSettingAddress::parseWellFormed("TELNET.TIMEOUT").value()),
            QByteArray("60"));
        QCOMPARE(
            gateway.settings().value(CSettingAddress::parseWellFormed("C.SERIAL.TYPE").value()),
            QByteArray("RS485"));
    }
}

QTEST_GUILESS_MAIN(TestGatewayUpload)
#include "TestGatewayUpload.moc"
