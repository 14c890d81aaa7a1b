#include "core/bus/CPresetFile.h"
#include "core/sequence/CSequencer.h"
#include "support/CManualTimerSource.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

// LED preset files: what is read from them, what is refused before anything is sent, and
// the sends 50 ms apart.
class TestPresetFile : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void unreadableFile();
    void sendsFiftyMillisecondsApart();
    void firstFailedSendEndsTheUpload();
};

void TestPresetFile::parse_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<QByteArray>>("presets");
    QTest::addColumn<QString>("error");

    QByteArray many;
    QList<QByteArray> twenty;
    for (int line = 1; line <= 25; ++line) {
        many += QByteArray::number(line) + ",0,0\n";
        if (line <= 20) {
            twenty.append(QByteArray::number(line) + ".0.0");
        }
    }
    QTest::newRow("three lines, commas become points")
        << QByteArray("255,128,0\n1,2,3\n4,5,6\n")
        << QList<QByteArray>{"255.128.0", "1.2.3", "4.5.6"} << QString();
    QTest::newRow("CR LF, a lone CR and no end on the last line")
        << QByteArray("1,1\r\n2,2\r3,3\n\n5,5") << QList<QByteArray>{"1.1", "2.2", "3.3", "", "5.5"}
        << QString();
    QTest::newRow("25 lines: only the first 20 are presets") << many << twenty << QString();
    QTest::newRow("an empty file") << QByteArray() << QList<QByteArray>{} << QString();
    QTest::newRow("a semicolon would end the command")
        << QByteArray("1,1\n2,2;#UID1=RESET\n") << QList<QByteArray>{}
        << QStringLiteral(
               "Line 2 of the preset file: The value may not contain \";\": it ends a command. "
               "Nothing was sent.");
    QTest::newRow("one semicolon at the end is the command's own")
        << QByteArray("255,128,0;\r\n1,2,3\n4,5,6;")
        << QList<QByteArray>{"255.128.0", "1.2.3", "4.5.6"} << QString();
    QTest::newRow("two at the end are one too many")
        << QByteArray("1,1;;\n") << QList<QByteArray>{}
        << QStringLiteral(
               "Line 1 of the preset file: The value may not contain \";\": it ends a command. "
               "Nothing was sent.");
    QTest::newRow("a semicolon before the end")
        << QByteArray("1,1\n2;,2\n") << QList<QByteArray>{}
        << QStringLiteral(
               "Line 2 of the preset file: The value may not contain \";\": it ends a command. "
               "Nothing was sent.");
    QTest::newRow("a tab is a control character")
        << QByteArray("1\t1\n") << QList<QByteArray>{}
        << QStringLiteral(
               "Line 1 of the preset file: The value may not contain a line break, a "
               "tab or another control character. Nothing was sent.");
    QTest::newRow("a line longer than any value")
        << QByteArray(201, '7') << QList<QByteArray>{}
        << QStringLiteral(
               "Line 1 of the preset file is longer than 200 characters; nothing was sent.");
    QTest::newRow("a bad line after the twentieth is never read") << many + "1;1\n"
                                                                  << twenty << QString();
}

void TestPresetFile::parse() {
    QFETCH(QByteArray, text);
    QFETCH(QList<QByteArray>, presets);
    QFETCH(QString, error);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("presets.cms"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();

    const CPresetFile::Contents contents = CPresetFile::read(path);
    QCOMPARE(contents.error, error);
    QCOMPARE(contents.presets, presets);
}

void TestPresetFile::unreadableFile() {
    QTemporaryDir folder;
    QCOMPARE(CPresetFile::read(folder.filePath(QStringLiteral("missing.cms"))).error,
             QStringLiteral("Can't open file No such file or directory"));
    const QString locked = folder.filePath(QStringLiteral("locked.cms"));
    QFile file(locked);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("1,2,3\n");
    file.close();
    QVERIFY(file.setPermissions(QFileDevice::Permissions()));
    if (QFile(locked).open(QIODevice::ReadOnly)) {
        QSKIP("files are readable whatever their permissions here (running as root)");
    }
    QCOMPARE(CPresetFile::read(locked).error, QStringLiteral("Can't open file Permission denied"));
}

void TestPresetFile::sendsFiftyMillisecondsApart() {
    CManualTimerSource timers;
    CSequencer sequencer(timers);
    QStringList sent;
    const CPresetFile::Send send = [&](QByteArrayView text, quint32 address) {
        sent.append(QStringLiteral("%1 %2 %3")
                        .arg(timers.now().count())
                        .arg(address)
                        .arg(QString::fromLatin1(text)));
        return true;
    };
    CSequenceRun* run = sequencer.start(
        QString::fromLatin1(CPresetFile::kRunName),
        CPresetFile::steps({"255.128.0", "1.2.3", "4.5.6"}, 7, 42, send), CPacing::Fixed);
    QSignalSpy finished(run, &CSequenceRun::finished);
    QCOMPARE(sent, QStringList{"0 42 #UID7.LED.PRESET.100=255.128.0"});
    timers.advance(149ms);
    QCOMPARE(sent,
             (QStringList{"0 42 #UID7.LED.PRESET.100=255.128.0", "50 42 #UID7.LED.PRESET.101=1.2.3",
                          "100 42 #UID7.LED.PRESET.102=4.5.6"}));
    QVERIFY(finished.isEmpty());
    timers.advance(1ms);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.front().front().value<CSequenceRun::Outcome>(),
             CSequenceRun::Outcome::Completed);
}

void TestPresetFile::firstFailedSendEndsTheUpload() {
    CManualTimerSource timers;
    CSequencer sequencer(timers);
    int attempts = 0;
    const CPresetFile::Send failing = [&](QByteArrayView, quint32) { return ++attempts < 2; };
    CSequenceRun* run =
        sequencer.start(QString::fromLatin1(CPresetFile::kRunName),
                        CPresetFile::steps({"1", "2", "3"}, 7, 42, failing), CPacing::Fixed);
    QSignalSpy finished(run, &CSequenceRun::finished);
    timers.advance(1000ms);
    QCOMPARE(attempts, 2);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.front().front().value<CSequenceRun::Outcome>(),
             CSequenceRun::Outcome::Failed);
}

QTEST_GUILESS_MAIN(TestPresetFile)
#include "TestPresetFile.moc"
