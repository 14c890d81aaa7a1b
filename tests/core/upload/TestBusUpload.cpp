#include "UploadTestSupport.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/protocol/CCommands.h"
#include "core/upload/CBusLanes.h"
#include "core/upload/CBusUpload.h"
#include "core/upload/CUploadProject.h"

#include <QTest>

using namespace uploadtest;
using Lines = QList<QByteArray>;
using Answer = IUploadLink::Answer;

namespace {

const QByteArray kStart = "->Upload Start";
constexpr quint32 kUnaddressedSerial = 100006;  // gateway 1's last device, no UID yet

// Two gateways with six LUMET_BC each, the last without a UID: UIDs 1-5 and 7-11.
CSimSiteConfig twoBuses() {
    CSimSiteConfig config;
    config.addresses = {ip("10.0.0.2"), ip("10.0.0.3")};
    config.gatewayTypes = {"UBRIX_A"};
    config.deviceTypes = {"LUMET_BC"};
    config.devicesPerGateway = 6;
    config.unaddressedPerGateway = 1;
    return config;
}

QByteArray uid(int number, const QByteArray& settings = {}) {
    return busDevice("UID='" + QByteArray::number(number) + "'", settings);
}

// Three gateways with five LUMET_BC each: UIDs 1-5, 6-10 and 11-15.
CSimSiteConfig threeBuses() {
    CSimSiteConfig config;
    config.addresses = {ip("10.0.0.2"), ip("10.0.0.3"), ip("10.0.0.4")};
    config.gatewayTypes = {"UBRIX_A"};
    config.deviceTypes = {"LUMET_BC"};
    config.devicesPerGateway = 5;
    return config;
}

// The UID a bus text is for: "#uid12=?;", "#UID12.ALIAS=Desk", "#uid=12;".
int uidOf(const QByteArray& sent) {
    const QByteArray text = sent.mid(sent.indexOf('#') + 4);
    const qsizetype start = text.startsWith('=') ? 1 : 0;
    qsizetype end = start;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
        ++end;
    }
    return text.mid(start, end - start).toInt();
}

QByteArray path(int uid, const char* rest) {
    return "//Device_Configuration/DEVICE[@UID='" + QByteArray::number(uid) + "']" + rest;
}

}  // namespace

// The bus device upload on a simulated site, on virtual time: every outcome and pause, the
// discover prompt's three answers, and the mends.
class TestBusUpload : public QObject {
    Q_OBJECT

private slots:
    void uploads_data();
    void uploads();
    void stopWhileWaitingForTheButton();
    void deviceLeftInThePlanIsNotFoundWhenSilent();
    void failedSendEndsTheUploadWithOneLine();
    void hundredDevicesTakeTheFixedTimeAndRepliesAreFaster();
    void lossInBothDirections();
    void lanesFollowTheBuses_data();
    void lanesFollowTheBuses();
    void everyBusAtOnceWithLoss();
    void stopEndsEveryLane();
    void cancelAtAPromptEndsEveryLane();
    void echoThatNeverCameIsAskedByName_data();
    void echoThatNeverCameIsAskedByName();
};

void TestBusUpload::uploads_data() {
    QTest::addColumn<QByteArray>("project");
    QTest::addColumn<QList<int>>("answers");  // Yes 0, No 1, Cancel 2; Yes + 10: pressed
    QTest::addColumn<Lines>("wire");
    QTest::addColumn<Lines>("log");
    QTest::addColumn<qint64>("elapsedMs");
    const int yes = int(Answer::Yes);
    const int no = int(Answer::No);
    const int cancel = int(Answer::Cancel);
    const int pressedThenYes = yes + 10;

    QTest::newRow("differences go out as broadcasts, each outcome")
        << uid(1,
               "<ALIAS>Desk</ALIAS><SN>5</SN><PORT P='A'><LED><DISSOLVE>20</DISSOLVE>"
               "<MODE>RGB</MODE></LED></PORT><PORT P='B'><LED><MODE>FAST</MODE></LED>"
               "</PORT><PHOTO><THRESHOLD>300</THRESHOLD></PHOTO>")
        << QList<int>{}
        << Lines{"* #uid1=?;", "* #UID1.ALIAS=Desk", "* #UID1.A.LED.DISSOLVE=20",
                 "* #UID1.A.LED.MODE=RGB"}
        << Lines{kStart,
                 "->Upload object match: " + path(1, "/TYPE") + " ->LUMET_BC",
                 "->Upload object miss match: " + path(1, "/ALIAS") +
                     " template-> Desk device-> DEV100001 ",
                 "->Upload object miss match: " + path(1, "/PORT[@P='A']/LED/DISSOLVE") +
                     " template-> 20 device-> 10 ",
                 "->Upload object miss match: " + path(1, "/PORT[@P='A']/LED/MODE") +
                     " template-> RGB device-> RGBW ",
                 "->Upload object match: " + path(1, "/PHOTO/THRESHOLD") + " ->300"}
        << qint64(700 + 3000 + 3 * 1000 + 2000);
    QTest::newRow("no TYPE in the project: nothing sent, 500 ms")
        << QByteArray("<DEVICE UID='1'><ALIAS>Desk</ALIAS></DEVICE>") << QList<int>{} << Lines{}
        << Lines{kStart, "->Upload Error: UID 1 has no TYPE description in Template"}
        << qint64(700 + 500 + 2000);
    QTest::newRow("another type: only the mismatch line")
        << busDevice("UID='2'", "<ALIAS>Desk</ALIAS>", "LUMET_AC") << QList<int>{}
        << Lines{"* #uid2=?;"} << Lines{kStart, "->Upload Error: UID 2 type Mismatch"}
        << qint64(700 + 3000 + 2000);
    QTest::newRow("addresses that are no UID, a serial number, a UID twice: nothing sent")
        << uid(3, "<ALIAS>A</ALIAS>") + busDevice("UID='abc'", {}) + busDevice("UID='0'", {}) +
               busDevice("UID='12abc'", {}) + busDevice("SN='100006'", {}) +
               uid(3, "<ALIAS>B</ALIAS>")
        << QList<int>{} << Lines{}
        << Lines{kStart,
                 "->Upload Error: UID 3 appears more than once in Template",
                 "->Upload Error: UID abc is no bus address",
                 "->Upload Error: UID 0 is no bus address",
                 "->Upload Error: UID 12abc is no bus address",
                 "->Upload Error: SN 100006 has no UID yet",
                 "->Upload Error: UID 3 appears more than once in Template"}
        << qint64(700 + 2000);
    QTest::newRow("No: passed over, the next device 500 ms later, the arming named")
        << uid(50, "<ALIAS>Desk</ALIAS>") + uid(2, "<ALIAS>DEV100002</ALIAS>") << QList<int>{no}
        << Lines{"* #uid50=?;", "* #uid=50;", "* #uid2=?;"}
        << Lines{kStart, "->Upload Error: UID 50 not found on network",
                 "->Upload object match: " + path(2, "/TYPE") + " ->LUMET_BC",
                 "->Upload object match: " + path(2, "/ALIAS") + " ->DEV100002",
                 "->Upload Warning: gateways still armed for UID 50"}
        << qint64(700 + 3000 + 500 + 3000 + 2000);
    QTest::newRow("Cancel: the devices after it are not touched")
        << uid(50, "<ALIAS>Desk</ALIAS>") + uid(2, "<ALIAS>Hall</ALIAS>") << QList<int>{cancel}
        << Lines{"* #uid50=?;", "* #uid=50;"}
        << Lines{kStart, "->Upload Error: UID 50 not found on network",
                 "->Upload Warning: gateways still armed for UID 50"}
        << qint64(700 + 3000 + 2000);
    QTest::newRow("Yes: the pressed device takes the UID and its settings")
        << uid(50, "<ALIAS>Desk</ALIAS>") << QList<int>{pressedThenYes}
        << Lines{"* #uid50=?;", "* #uid=50;", "* #uid50=?;", "* #UID50.ALIAS=Desk"}
        << Lines{kStart, "->Upload Error: UID 50 not found on network",
                 "->Upload object match: " + path(50, "/TYPE") + " ->LUMET_BC",
                 "->Upload object miss match: " + path(50, "/ALIAS") +
                     " template-> Desk device-> DEV100006 "}
        << qint64(700 + 3000 + 1000 + 2000 + 1000 + 2000);
    QTest::newRow("Yes, nobody presses: 240 passes, no TYPE found, one more query")
        << uid(50, "<ALIAS>Desk</ALIAS>") << QList<int>{yes}
        << Lines{"* #uid50=?;", "* #uid=50;", "* #uid50=?;"}
        << Lines{kStart, "->Upload Error: UID 50 not found on network",
                 "->Upload Error: UID 50 no TYPE found",
                 "->Upload Warning: gateways still armed for UID 50"}
        << qint64(700 + 3000 + 240 * 1000 + 2000 + 2000);
}

void TestBusUpload::uploads() {
    QFETCH(QByteArray, project);
    QFETCH(QList<int>, answers);
    CUploadBench bench(twoBuses(), project);
    CSimSite& site = *bench.site;
    CSimVirtualTime& time = *bench.time;
    for (const int answer : answers) {
        CScriptedLink::Reply reply{Answer(answer % 10), {}};
        if (answer >= 10) {
            reply.meanwhile = [&site, &time] {
                QVERIFY(site.pressDiscoverButton(0, kUnaddressedSerial, time.nowMs()));
            };
        }
        bench.link->replies.append(reply);
    }
    CBusUpload upload(bench.doc.doc(), *bench.link, oneByOne(CPacing::Fixed));
    QVERIFY(bench.run(upload));
    QTEST(bench.link->sent, "wire");
    QTEST(bench.logLines(), "log");
    QTEST(bench.elapsedMs(), "elapsedMs");
    QVERIFY(bench.link->replies.isEmpty());
    for (const QString& prompt : bench.link->prompts) {
        QCOMPARE(prompt, QStringLiteral("->Upload Error: UID 50 not found on network\nPress "
                                        "discover button on device and then YES \n\nPress NO to "
                                        "pass over this device\nPress CANCEL to abort upload"));
    }
    // Every command went to every gateway.
    for (const auto& received : bench.time->link().received()) {
        QVERIFY(received.broadcast);
    }
    QCOMPARE(upload.summary().counts().unconfirmed, 0);
}

void TestBusUpload::stopWhileWaitingForTheButton() {
    CUploadBench bench(twoBuses(), uid(50, "<ALIAS>Desk</ALIAS>") + uid(2));
    bench.link->replies.append({Answer::Yes, {}});
    CBusUpload upload(bench.doc.doc(), *bench.link, oneByOne(CPacing::Fixed));
    QVERIFY(upload.start(bench.sequencer));
    bench.time->runUntil([] { return false; }, std::chrono::seconds(10));
    upload.stop();
    QVERIFY(upload.isFinished());
    const CUploadSummary& summary = upload.summary();
    QCOMPARE(summary.ending, CUploadSummary::Ending::Stopped);
    QCOMPARE(summary.armedUid, std::optional<int>(50));
    QVERIFY(summary.lines().join('\n').contains("still armed for UID 50"));
    QCOMPARE(bench.logLines().back(),
             QByteArray("->Upload Warning: gateways still armed for UID 50"));
    bench.time->runUntil([] { return false; }, std::chrono::minutes(10));
    QCOMPARE(bench.link->sent, Lines({"* #uid50=?;", "* #uid=50;"}));
    QCOMPARE(bench.timers.activeTimerCount(), 0);
}

void TestBusUpload::deviceLeftInThePlanIsNotFoundWhenSilent() {
    CUploadBench bench(twoBuses(), uid(2, "<ALIAS>Desk</ALIAS>"));
    // An earlier collection left the device in the plan; now it is silent. Neither its
    // query nor the wait after Yes may take the old report for an answer.
    bench.doc.receive(
        {"[08:00:00] (10.0.0.2) !UID2.TYPE=LUMET_BC;", "[08:00:00] (10.0.0.2) !UID2.ALIAS=Old;"});
    CSimDeviceFaults silent;
    silent.silent = true;
    QVERIFY(bench.site->setDeviceFaults(0, 2, silent));
    bench.link->replies.append({Answer::Yes, {}});
    CBusUpload upload(bench.doc.doc(), *bench.link, oneByOne(CPacing::ByReplies));
    QVERIFY(bench.run(upload));
    QCOMPARE(bench.link->sent, Lines({"* #uid2=?;", "* #uid=2;", "* #uid2=?;"}));
    // Every wait ran out (by replies nothing is left to wait for at the end).
    QCOMPARE(bench.elapsedMs(), qint64(700 + 3000 + 240 * 1000 + 2000));
    QCOMPARE(upload.summary().devices.front().status, CDeviceOutcome::Status::NotFound);
    QCOMPARE(upload.summary().exitCode(), CUploadSummary::kExitNothingAnswered);
}

void TestBusUpload::failedSendEndsTheUploadWithOneLine() {
    CUploadBench bench(twoBuses(), uid(1, "<ALIAS>Desk</ALIAS>") + uid(2, "<ALIAS>Hall</ALIAS>"));
    bench.link->failingSends = 1;  // the first device's query
    CBusUpload upload(bench.doc.doc(), *bench.link, oneByOne(CPacing::Fixed));
    QVERIFY(bench.run(upload));
    // Every command of this upload goes the same way: after one fails, none is tried.
    QCOMPARE(bench.link->failed, Lines{"* #uid1=?;"});
    QCOMPARE(bench.link->sent, Lines{});
    QCOMPARE(bench.logLines(),
             Lines({kStart, "->Upload Error: send failed, upload of UID 1 ended"}));
    QVERIFY(bench.link->errors.isEmpty());
    QCOMPARE(upload.summary().counts().failedSends, 1);
    QCOMPARE(upload.summary().devices[1].status, CDeviceOutcome::Status::NotReached);
    QCOMPARE(upload.summary().exitCode(), CUploadSummary::kExitSendFailed);
    QVERIFY(upload.summary().lines().join('\n').contains("failed sends: 1"));
}

void TestBusUpload::hundredDevicesTakeTheFixedTimeAndRepliesAreFaster() {
    CSimSiteConfig config;
    config.addresses = {ip("10.0.0.2"), ip("10.0.0.3"), ip("10.0.0.4"), ip("10.0.0.5")};
    config.deviceTypes = {"LUMET_BC"};
    config.devicesPerGateway = 25;
    QByteArray project;
    for (int number = 1; number <= 100; ++number) {
        project += uid(number, tenLumetChanges());
    }
    qint64 elapsed[2] = {0, 0};
    for (const CPacing pacing : {CPacing::Fixed, CPacing::ByReplies}) {
        CUploadBench bench(config, project);
        CSimLatency latency;
        latency.busMs = 40;
        latency.busPerSettingMs = 8;
        latency.jitterMs = 4;
        bench.site->setLatency(latency);
        CBusUpload upload(bench.doc.doc(), *bench.link, oneByOne(pacing));
        QVERIFY(bench.run(upload));
        elapsed[pacing == CPacing::Fixed ? 0 : 1] = bench.elapsedMs();
        const CUploadSummary::Counts counts = upload.summary().counts();
        QCOMPARE(counts.sent, 1000);
        QCOMPARE(counts.confirmed, 1000);
        QCOMPARE(upload.summary().exitCode(), CUploadSummary::kExitApplied);
        const CSimBusDevice* last = bench.site->gateways()[3].deviceByUid(100);
        QCOMPARE(last->settings().value(CSettingAddress::parseWellFormed("A.LED.PRESET.4").value()),
                 QByteArray("4.4.4"));
    }
    QCOMPARE(elapsed[0], qint64(700 + 100 * (3000 + 10 * 1000) + 2000));
    QVERIFY2(elapsed[1] * 8 < elapsed[0], qPrintable(QString::number(elapsed[1])));
}

void TestBusUpload::lossInBothDirections() {
    QByteArray project;
    for (const int number : {1, 2, 3, 4, 5, 7, 8, 9, 10, 11}) {
        project += uid(number, tenLumetChanges());
    }
    CUploadBench bench(twoBuses(), project);
    CSimFaults faults;
    faults.dropShare = 0.05;
    faults.commandDropShare = 0.05;
    faults.seed = 5;
    bench.site->setFaults(faults);
    // A device that does not answer in the end is passed over; none should be.
    bench.link->replies = {{Answer::No, {}}, {Answer::No, {}}};
    CBusUpload upload(bench.doc.doc(), *bench.link, CUploadOptions());
    QVERIFY(bench.run(upload));
    const CUploadSummary::Counts counts = upload.summary().counts();
    QCOMPARE(counts.sent, 100);
    QCOMPARE(counts.confirmed, 100);
    QCOMPARE(counts.notFound + counts.passedOver, 0);
    QVERIFY(counts.queriesRepeated > 0 && counts.setsRepeated > 0);
    QVERIFY(bench.link->prompts.isEmpty());
    QCOMPARE(upload.summary().exitCode(), CUploadSummary::kExitApplied);
    // Nothing but the queries and the project's sets went out, all of them broadcast.
    for (const QByteArray& sent : bench.link->sent) {
        QVERIFY2((sent.startsWith("* #uid") && sent.endsWith("=?;")) || sent.startsWith("* #UID"),
                 sent.constData());
    }
    const CSimBusDevice* last = bench.site->gateways()[1].deviceByUid(11);
    QCOMPARE(last->settings().value(CSettingAddress::parseWellFormed("A.LED.PRESET.4").value()),
             QByteArray("4.4.4"));
}

void TestBusUpload::lanesFollowTheBuses_data() {
    QTest::addColumn<QByteArray>("network");  // Network_Configuration's content
    QTest::addColumn<QByteArray>("project");  // UIDs in the project's order
    QTest::addColumn<QByteArray>("lanes");    // "gateway: UIDs | ... | after: UIDs"
    const QByteArray two =
        "<UBRIX IP='10.0.0.2'><DEVICE UID='1'/><DEVICE UID='3'/><DEVICE SN='812'/></UBRIX>"
        "<UBRIX IP='10.0.0.3'><DEVICE UID='2'/></UBRIX>";
    QTest::newRow("a lane per bus in the plan's order, each in the project's")
        << two << QByteArray("3 2 1") << QByteArray("10.0.0.2: 3 1 | 10.0.0.3: 2 | after:");
    QTest::newRow("heard behind no gateway: afterwards")
        << two << QByteArray("9 1 7") << QByteArray("10.0.0.2: 1 | after: 9 7");
    QTest::newRow("nothing heard: everything afterwards")
        << QByteArray() << QByteArray("1 2") << QByteArray("after: 1 2");
    QTest::newRow("heard behind two gateways: the later one")
        << two + "<UBRIX IP='10.0.0.4'><DEVICE UID='1'/></UBRIX>" << QByteArray("1 2")
        << QByteArray("10.0.0.3: 2 | 10.0.0.4: 1 | after:");
    QTest::newRow("an entry's number that is no UID counts for nothing")
        << QByteArray("<UBRIX IP='10.0.0.2'><DEVICE UID='01'/><DEVICE UID='x'/></UBRIX>")
        << QByteArray("1") << QByteArray("after: 1");
}

void TestBusUpload::lanesFollowTheBuses() {
    QFETCH(QByteArray, network);
    QFETCH(QByteArray, project);
    QByteArray devices;
    for (const QByteArray& number : project.split(' ')) {
        devices += uid(number.toInt());
    }
    pugi::xml_document projectDocument;
    pugi::xml_document plan;
    QVERIFY(projectDocument.load_string(
        ("<Plan><Device_Configuration>" + devices + "</Device_Configuration></Plan>").constData()));
    QVERIFY(plan.load_string(
        ("<Plan><Network_Configuration>" + network + "</Network_Configuration></Plan>")
            .constData()));
    const std::vector<CUploadDevice> listed = CUploadProject::busDevices(projectDocument);
    const CUploadLanes lanes = CBusLanes::of(listed, plan);
    QByteArrayList text;
    const auto uids = [&listed](const std::vector<size_t>& indices) {
        QByteArray numbers;
        for (const size_t index : indices) {
            numbers += " " + QByteArray::number(listed[index].uid);
        }
        return numbers;
    };
    for (const CUploadLanes::Lane& lane : lanes.lanes) {
        text << lane.name + ":" + uids(lane.devices);
    }
    text << "after:" + uids(lanes.afterwards);
    QTEST(text.join(" | "), "lanes");
}

// Three buses at once on a site that loses 5% of commands and replies, after a registration
// has told the plan where each device is, and a device heard behind the first gateway that
// does not answer: its prompt holds its own lane only.
void TestBusUpload::everyBusAtOnceWithLoss() {
    // The first bus: UID 1 and the silent 99; the others five devices each.
    const QList<int> answering{1, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    QByteArray project = uid(1, tenLumetChanges()) + uid(99, "<ALIAS>Gone</ALIAS>");
    for (const int number : answering.mid(1)) {
        project += uid(number, tenLumetChanges());
    }
    CUploadBench bench(threeBuses(), project);
    bench.time->send(CCommands::busRegister(), CIpv4Address::kBroadcast);
    bench.doc.receive({"[08:00:00] (10.0.0.2) +UID99;"});
    bench.time->runUntil([] { return false; }, std::chrono::seconds(2));
    CSimFaults faults;
    faults.dropShare = 0.05;
    faults.commandDropShare = 0.05;
    faults.seed = 11;
    bench.site->setFaults(faults);
    QList<int> uidsDuringThePrompt;
    bench.link->replies.append({Answer::No, [&bench, &uidsDuringThePrompt] {
                                    const qsizetype before = bench.link->sent.size();
                                    bench.time->runUntil([] { return false; },
                                                         std::chrono::seconds(5));
                                    for (const QByteArray& sent : bench.link->sent.mid(before)) {
                                        uidsDuringThePrompt << uidOf(sent);
                                    }
                                }});
    CBusUpload upload(bench.doc.doc(), *bench.link, CUploadOptions());
    QVERIFY(bench.run(upload));

    const CUploadSummary::Counts counts = upload.summary().counts();
    QCOMPARE(counts.sent, 110);
    QCOMPARE(counts.confirmed, 110);
    QCOMPARE(counts.passedOver, 1);
    QVERIFY(counts.queriesRepeated > 0 && counts.setsRepeated > 0);
    QCOMPARE(bench.link->prompts.size(), 1);
    // While the first bus waited for the user, the other two went on, and only they did.
    QVERIFY(!uidsDuringThePrompt.isEmpty());
    for (const int number : uidsDuringThePrompt) {
        QVERIFY2(number > 5, qPrintable(QString::number(number)));
    }
    // Each device's texts in its order: first its query, then its sets in the project's
    // order (a set may go again, a setting may be asked by name).
    QMap<int, QByteArrayList> sets;
    QMap<int, QByteArray> first;
    for (const QByteArray& sent : bench.link->sent) {
        QVERIFY2(sent.startsWith("* #"), sent.constData());
        const int number = uidOf(sent);
        first.insert(number, first.value(number, sent));
        if (!sent.contains('?') && !sets[number].contains(sent)) {
            sets[number] << sent;
        }
    }
    for (const int number : answering) {
        QCOMPARE(first[number], "* #uid" + QByteArray::number(number) + "=?;");
        QCOMPARE(sets[number].size(), 10);
        QVERIFY(sets[number].first().endsWith("A.LED.DISSOLVE=20"));
        QVERIFY(sets[number].last().endsWith("A.LED.PRESET.4=4.4.4"));
        const CSimBusDevice* device =
            bench.site->gateways()[(number - 1) / 5].deviceByUid(static_cast<quint32>(number));
        QCOMPARE(
            device->settings().value(CSettingAddress::parseWellFormed("A.LED.PRESET.4").value()),
            QByteArray("4.4.4"));
    }
}

void TestBusUpload::stopEndsEveryLane() {
    CUploadBench bench(threeBuses(), uid(1, tenLumetChanges()) + uid(6, tenLumetChanges()) +
                                         uid(11, tenLumetChanges()));
    bench.time->send(CCommands::busRegister(), CIpv4Address::kBroadcast);
    bench.time->runUntil([] { return false; }, std::chrono::seconds(2));
    CUploadOptions lanes = oneByOne(CPacing::Fixed);
    lanes.concurrent = true;
    CBusUpload concurrent(bench.doc.doc(), *bench.link, lanes);
    QVERIFY(concurrent.start(bench.sequencer));
    bench.time->runUntil([] { return false; }, std::chrono::seconds(4));
    // 700 ms, each device's query, its first set: three buses at once.
    QCOMPARE(bench.link->sent.size(), 6);
    concurrent.stop();
    QVERIFY(concurrent.isFinished());
    QCOMPARE(concurrent.summary().ending, CUploadSummary::Ending::Stopped);
    bench.time->runUntil([] { return false; }, std::chrono::minutes(1));
    QCOMPARE(bench.link->sent.size(), 6);
    QCOMPARE(bench.timers.activeTimerCount(), 0);
}

// Cancel aborts the upload: every other lane ends once it is done with its current device.
void TestBusUpload::cancelAtAPromptEndsEveryLane() {
    QByteArray project = uid(1, tenLumetChanges()) + uid(99);
    for (int number = 6; number <= 15; ++number) {
        project += uid(number, tenLumetChanges());
    }
    CUploadBench bench(threeBuses(), project);
    // A device's report takes its bus a while; silence is soon taken for loss.
    CSimLatency latency;
    latency.busMs = 40;
    latency.busPerSettingMs = 8;
    bench.site->setLatency(latency);
    bench.time->send(CCommands::busRegister(), CIpv4Address::kBroadcast);
    bench.doc.receive({"[08:00:00] (10.0.0.2) +UID99;"});
    bench.time->runUntil([] { return false; }, std::chrono::seconds(2));
    bench.link->replies.append({Answer::Cancel, {}});
    CBusUpload upload(bench.doc.doc(), *bench.link, CUploadOptions());
    QVERIFY(bench.run(upload));
    const CUploadSummary& summary = upload.summary();
    QCOMPARE(summary.ending, CUploadSummary::Ending::Cancelled);
    int compared = 0;
    int notReached = 0;
    for (const CDeviceOutcome& device : summary.devices) {
        compared += device.status == CDeviceOutcome::Status::Compared ? 1 : 0;
        notReached += device.status == CDeviceOutcome::Status::NotReached ? 1 : 0;
    }
    // The first bus's UID 1, and on the two others the devices begun before the answer.
    QVERIFY2(compared > 1 && notReached > 0, qPrintable(summary.lines().join('\n')));
    QCOMPARE(compared + notReached + 1, int(summary.devices.size()));
    for (const CDeviceOutcome& device : summary.devices) {
        if (device.status == CDeviceOutcome::Status::NotReached) {
            const QByteArray number = device.label.mid(4);
            QVERIFY2(!bench.link->sent.contains("* #uid" + number + "=?;"), number.constData());
        }
    }
}

void TestBusUpload::echoThatNeverCameIsAskedByName_data() {
    QTest::addColumn<QByteArray>("fault");
    QTest::addColumn<Lines>("wire");
    QTest::addColumn<QString>("row");  // how the summary names the row; empty: confirmed
    const QByteArray query = "* #uid1=?;";
    const QByteArray set = "* #UID1.ALIAS=Desk";
    const QByteArray asked = "* #UID1.ALIAS=?;";
    QTest::newRow("the echoes lost, the value taken: asked once, reported")
        << QByteArray("echoes-lost") << Lines{query, set, set, asked} << QString();
    QTest::newRow("the device keeps its value: asked, sent again, asked, named")
        << QByteArray("refuses-sets") << Lines{query, set, set, asked, set, set, asked}
        << QStringLiteral("UID 1 ALIAS: sent, the device answered DEV100001");
    QTest::newRow("silent after the query: asked as often as a query may, no more")
        << QByteArray("silent") << Lines{query, set, set, asked, asked, set, set, asked, asked}
        << QStringLiteral("UID 1 ALIAS: sent, no echo");
}

void TestBusUpload::echoThatNeverCameIsAskedByName() {
    QFETCH(QByteArray, fault);
    CUploadBench bench(twoBuses(), uid(1, "<ALIAS>Desk</ALIAS>"));
    // Once the query is out, the fault sets in: what comes back is lost, or never comes.
    bench.link->onSent = [&bench, fault](const QByteArray& text) {
        CSimDeviceFaults faults;
        faults.refusesSets = fault == "refuses-sets";
        faults.silent = fault == "silent" && text != "#uid1=?;";
        QVERIFY(bench.site->setDeviceFaults(0, 1, faults));
        CSimFaults site;
        site.dropShare = fault == "echoes-lost" && !text.contains('?') ? 1.0 : 0.0;
        bench.site->setFaults(site);
    };
    CUploadOptions options = oneByOne(CPacing::ByReplies);
    options.retries = 1;
    CBusUpload upload(bench.doc.doc(), *bench.link, options);
    QVERIFY(bench.run(upload));
    QTEST(bench.link->sent, "wire");
    QFETCH(QString, row);
    const QStringList lines = upload.summary().lines();
    QCOMPARE(upload.summary().counts().confirmed, row.isEmpty() ? 1 : 0);
    QVERIFY2(row.isEmpty() || lines.contains(row), qPrintable(lines.join('\n')));
}

QTEST_GUILESS_MAIN(TestBusUpload)
#include "TestBusUpload.moc"
