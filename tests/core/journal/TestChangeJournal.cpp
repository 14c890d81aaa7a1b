#include "support/CDocFixture.h"

#include "core/journal/CChangeJournal.h"
#include "core/journal/CJournalFile.h"
#include "core/transport/CIpv4Address.h"
#include "support/CManualTimerSource.h"

#include <QFile>
#include <QTest>

namespace {

// "action gateway device command outcome", the fields of an entry as one line.
QString summary(const CJournalEntry& entry) {
    return QStringList{entry.action, entry.gateway, entry.device, entry.command,
                       QString::fromLatin1(CJournalEntry::outcomeName(entry.outcome))}
        .join(QLatin1Char('|'));
}

CJournalEntry entry(const QString& command, CJournalEntry::Outcome outcome, int minute) {
    CJournalEntry made;
    made.time = QDateTime(QDate(2026, 3, 1), QTime(9, minute), Qt::UTC);
    made.tool = QStringLiteral("vorel");
    made.action = QStringLiteral("set");
    made.gateway = QStringLiteral("10.0.0.2");
    made.command = command;
    made.outcome = outcome;
    return made;
}

}  // namespace

// The journal of changes: which texts are changes, what their outcome is, what never
// reaches the file, and the file itself.
class TestChangeJournal : public QObject {
    Q_OBJECT

private slots:
    void changeCommands_data();
    void changeCommands();
    void outcomes_data();
    void outcomes();
    void outerActivityWins();
    void fileRotatesAndReadsInOrder();
};

void TestChangeJournal::changeCommands_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("change");  // "kind device uid place=value", or empty

    QTest::newRow("gateway setting")
        << QByteArray("&NETWORK.DHCP=ENABLE;") << QStringLiteral("0  0 NETWORK.DHCP=ENABLE");
    QTest::newRow("upload's unterminated set")
        << QByteArray("&A.SERIAL.TYPE=KVBUS") << QStringLiteral("0  0 A.SERIAL.TYPE=KVBUS");
    QTest::newRow("restart") << QByteArray("&VERSION_HW=RESET;")
                             << QStringLiteral("1  0 VERSION_HW=RESET");
    QTest::newRow("device setting")
        << QByteArray("#UID12.A.LED.MODE=RGB") << QStringLiteral("2 UID 12 12 A.LED.MODE=RGB");
    QTest::newRow("indexed") << QByteArray("#uid7.LED.PRESET.101=1.2.3;")
                             << QStringLiteral("2 UID 7 7 LED.PRESET.101=1.2.3");
    QTest::newRow("by serial number")
        << QByteArray("#SN812.UID=7;") << QStringLiteral("3 SN 812 7 =7");
    QTest::newRow("armed") << QByteArray("#uid=9;") << QStringLiteral("3 UID 9 9 =9");
    for (const char* query : {"&=?;", "&NAME=?;", "&=IDENTIFY", "#UID=REGISTER;", "#UID5=?;",
                              "#UID5.ALIAS=?;", "#SN5=IDENTIFY;", "#2.1.0.LED=FADE_UP\r",
                              "#SN5.ALIAS=X;", "#UIDx.A=1;", "&NAME=A;&NAME=B;", "Firewall?", ""}) {
        QTest::newRow(query) << QByteArray(query) << QString();
    }
}

void TestChangeJournal::changeCommands() {
    QFETCH(QByteArray, text);
    const std::optional<CChangeCommand> change = CChangeCommand::of(text);
    const QString read = change ? QStringLiteral("%1 %2 %3 %4=%5")
                                      .arg(static_cast<int>(change->kind))
                                      .arg(QString::fromLatin1(change->device))
                                      .arg(change->uid)
                                      .arg(QString::fromLatin1(change->address.text()),
                                           QString::fromLatin1(change->value))
                                : QString();
    QTEST(read, "change");
}

void TestChangeJournal::outcomes_data() {
    QTest::addColumn<QStringList>("sent");  // "address text"
    QTest::addColumn<QList<QByteArray>>("replies");
    QTest::addColumn<int>("afterMs");  // then time goes on this long
    QTest::addColumn<QStringList>("entries");

    QTest::newRow("echoed") << QStringList{"10.0.0.2 &NAME=Hall;"}
                            << QList<QByteArray>{"(10.0.0.2) !NAME=Hall;"} << 0
                            << QStringList{"set|10.0.0.2||&NAME=Hall;|echoed"};
    QTest::newRow("another value reported")
        << QStringList{"10.0.0.2 &NAME=Hall;"} << QList<QByteArray>{"(10.0.0.2) !NAME=Lobby;"} << 0
        << QStringList{"set|10.0.0.2||&NAME=Hall;|refused"};
    QTest::newRow("nothing within the window")
        << QStringList{"10.0.0.2 &NAME=Hall;"} << QList<QByteArray>{} << 4750 << QStringList{};
    QTest::newRow("then silent") << QStringList{"10.0.0.2 &NAME=Hall;"} << QList<QByteArray>{}
                                 << 5000 << QStringList{"set|10.0.0.2||&NAME=Hall;|silent"};
    QTest::newRow("another gateway's reply is no echo")
        << QStringList{"10.0.0.2 &NAME=Hall;"}
        << QList<QByteArray>{"(10.0.0.3) !NAME=Hall;", "(10.0.0.2) !UID1.NAME=Hall;"} << 5000
        << QStringList{"set|10.0.0.2||&NAME=Hall;|silent"};
    QTest::newRow("a device's set to every gateway")
        << QStringList{"255.255.255.255 #UID12.A.LED.MODE=RGB"}
        << QList<QByteArray>{"(10.0.0.3) !UID12.A.LED.MODE=RGB;"} << 0
        << QStringList{"set|all|UID 12|#UID12.A.LED.MODE=RGB|echoed"};
    QTest::newRow("two values in a row")
        << QStringList{"10.0.0.2 &NAME=A;", "10.0.0.2 &NAME=B;"}
        << QList<QByteArray>{"(10.0.0.2) !NAME=A;", "(10.0.0.2) !NAME=B;"} << 0
        << QStringList{"set|10.0.0.2||&NAME=A;|echoed", "set|10.0.0.2||&NAME=B;|echoed"};
    QTest::newRow("an address, by the announcement")
        << QStringList{"10.0.0.2 #SN812.UID=7;"} << QList<QByteArray>{"(10.0.0.2) +UID7;"} << 0
        << QStringList{"address|10.0.0.2|SN 812|#SN812.UID=7;|echoed"};
    QTest::newRow("an armed UID waits two minutes for the press")
        << QStringList{"10.0.0.2 #UID=7;"} << QList<QByteArray>{} << 119000 << QStringList{};
    QTest::newRow("a restart is silent at once")
        << QStringList{"10.0.0.2 &VERSION_HW=RESET;"} << QList<QByteArray>{} << 0
        << QStringList{"restart|10.0.0.2||&VERSION_HW=RESET;|silent"};
    QTest::newRow("a preset file's line")
        << QStringList{"10.0.0.2 #UID5.LED.PRESET.100=1.2.3"}
        << QList<QByteArray>{"(10.0.0.2) !UID5.LED.PRESET.100=1.2.3;"} << 0
        << QStringList{"preset|10.0.0.2|UID 5|#UID5.LED.PRESET.100=1.2.3|echoed"};
    QTest::newRow("a credential's value stays out")
        << QStringList{"10.0.0.2 &TELNET.PASSWORD=hunter2;", "255.255.255.255 &WIFI.PASSPHRASE=x"}
        << QList<QByteArray>{"(10.0.0.2) !TELNET.PASSWORD=hunter2;"} << 5000
        << QStringList{"set|10.0.0.2||&TELNET.PASSWORD=(set);|echoed",
                       "set|all||&WIFI.PASSPHRASE=(set)|silent"};
    QTest::newRow("queries are no changes")
        << QStringList{"10.0.0.2 &=?;", "255.255.255.255 #UID=REGISTER;"}
        << QList<QByteArray>{"(10.0.0.2) !NAME=Hall;"} << 5000 << QStringList{};
}

void TestChangeJournal::outcomes() {
    QFETCH(QStringList, sent);
    QFETCH(QList<QByteArray>, replies);
    QFETCH(int, afterMs);
    CDocFixture fixture;
    CManualTimerSource timers;
    // Before the journal: what is still pending when it goes is written as it goes.
    QStringList written;
    CChangeJournal journal(fixture.doc(), timers, fixture.clock(), QStringLiteral("vorel"), {});
    connect(&journal, &CChangeJournal::entryWritten, this,
            [&written](const CJournalEntry& entry) { written << summary(entry); });
    for (const QString& line : sent) {
        journal.noteSent(line.section(QLatin1Char(' '), 1).toLatin1(),
                         CIpv4Address::fromDotted(line.section(QLatin1Char(' '), 0, 0).toLatin1()));
    }
    for (const QByteArray& reply : replies) {
        fixture.receive({"[00:00:00] " + reply});
    }
    timers.advance(std::chrono::milliseconds(afterMs));
    QTEST(written, "entries");
}

// A replacement's upload is the replacement: the activity declared first stays.
void TestChangeJournal::outerActivityWins() {
    CDocFixture fixture;
    CManualTimerSource timers;
    CChangeJournal journal(fixture.doc(), timers, fixture.clock(), QStringLiteral("vorel"), {});
    QStringList actions;
    connect(&journal, &CChangeJournal::entryWritten, this,
            [&actions](const CJournalEntry& entry) { actions << entry.action; });
    const quint32 gateway = CIpv4Address::fromDotted("10.0.0.2");
    {
        const CChangeJournal::Activity replacing(&journal, QStringLiteral("replace"));
        const CChangeJournal::Activity uploading(&journal, QStringLiteral("upload"));
        journal.noteSent("&VERSION_HW=RESET;", gateway);
    }
    {
        const CChangeJournal::Activity uploading(&journal, QStringLiteral("upload"));
        journal.noteSent("&VERSION_HW=RESET;", gateway);
    }
    journal.noteSent("&VERSION_HW=RESET;", gateway);
    QCOMPARE(actions, (QStringList{"replace", "upload", "restart"}));
}

void TestChangeJournal::fileRotatesAndReadsInOrder() {
    CDocFixture fixture;
    const QString path = fixture.path(QStringLiteral("sub/journal.jsonl"));
    std::vector<CJournalEntry> read;
    QString reason;
    QVERIFY(CJournalFile::read(path, read, reason));
    QVERIFY(read.empty());

    // Room for three lines: the fourth moves them aside.
    const qint64 line =
        entry(QStringLiteral("&NAME=1;"), CJournalEntry::Outcome::Echoed, 1).toJsonLine().size() +
        1;
    CJournalFile file;
    QVERIFY(file.open(path, 3 * line));
    // Written in the order the outcomes came, which is not the order they were sent in.
    for (int minute : {3, 1, 2, 5, 4}) {
        file.append(
            entry(QStringLiteral("&NAME=%1;").arg(minute), CJournalEntry::Outcome::Echoed, minute));
    }
    file.close();
    QVERIFY(QFile::exists(CTrafficLog::rotatedName(path)));
    QFile appended(path);
    QVERIFY(appended.open(QIODevice::Append));
    appended.write("not an entry\n{\"time\":\"yesterday\"}\n");
    appended.close();

    QVERIFY(CJournalFile::read(path, read, reason));
    QStringList commands;
    for (const CJournalEntry& kept : read) {
        commands << kept.command;
    }
    QCOMPARE(commands, (QStringList{"&NAME=1;", "&NAME=2;", "&NAME=3;", "&NAME=4;", "&NAME=5;"}));
    QCOMPARE(summary(read.front()), QStringLiteral("set|10.0.0.2||&NAME=1;|echoed"));
    QCOMPARE(read.front().time, entry({}, CJournalEntry::Outcome::Echoed, 1).time);
}

QTEST_GUILESS_MAIN(TestChangeJournal)
#include "TestChangeJournal.moc"
