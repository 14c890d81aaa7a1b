#include "core/protocol/CTrafficExport.h"
#include "core/traffic/CTrafficHistory.h"
#include "gui/views/CTrafficListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

namespace {

// The list on a session of its own, fed as the document feeds it: the line goes into the
// session, the list is told, then the session trims.
struct TrafficSession {
    CTrafficHistory history;
    CTrafficListModel model{history};

    void setLines(const QList<QByteArray>& lines) {
        history.clear();
        for (const QByteArray& line : lines) {
            history.push(line);
        }
        model.reload();
    }
    void append(const QByteArray& line) {
        history.push(line);
        model.appendNewest();
        history.trimIfFull();
    }
};

QList<QByteArray> numberedLines(int first, int count) {
    QList<QByteArray> lines;
    for (int n = first; n < first + count; ++n) {
        lines.append("line " + QByteArray::number(n));
    }
    return lines;
}

QStringList shownLines(const CTrafficListModel& model) {
    QStringList shown;
    for (int row = 0; row < model.rowCount(); ++row) {
        shown.append(model.data(model.index(row)).toString());
    }
    return shown;
}

QStringList asText(const QList<QByteArray>& lines) {
    QStringList text;
    for (const QByteArray& line : lines) {
        text.append(QString::fromLatin1(line));
    }
    return text;
}

}  // namespace

class TestTrafficListModel : public QObject {
    Q_OBJECT

private slots:
    void appendsWaitForTheNextTurnAndGoInAtOnce();
    void keepsTheNewestThousand_data();
    void keepsTheNewestThousand();
    void aBurstLargerThanTheListWaitsOnlyForItsTail();
    void setLinesKeepsTheNewestThousand();
    void clearDropsWaitingLines();
    void setLinesDropsWaitingLines();
    void textIsUtf8WhenValidElseLatin1_data();
    void textIsUtf8WhenValidElseLatin1();
    void testerFindsNoFault();
    void filterPauseAndExport_data();
    void filterPauseAndExport();
    void filterGoesThroughTheWholeSession();
    void findReachesBackIntoTheSession();
    void pausedLinesWaitTheNewestThousand();
    void findGoesRoundBothWays_data();
    void findGoesRoundBothWays();
};

void TestTrafficListModel::appendsWaitForTheNextTurnAndGoInAtOnce() {
    TrafficSession session;
    CTrafficListModel& model = session.model;
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy appended(&model, &CTrafficListModel::linesAppended);

    for (const QByteArray& line : numberedLines(1, 500)) {
        session.append(line);
    }
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.pendingCount(), 500);

    QCoreApplication::processEvents();

    QCOMPARE(model.rowCount(), 500);
    QCOMPARE(model.pendingCount(), 0);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 0);
    QCOMPARE(inserted.at(0).at(2).toInt(), 499);
    QCOMPARE(appended.count(), 1);
    QCOMPARE(shownLines(model), asText(numberedLines(1, 500)));
}

void TestTrafficListModel::keepsTheNewestThousand_data() {
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("added");

    QTest::newRow("exactly full") << 600 << 400;
    QTest::newRow("one over") << 1000 << 1;
    QTest::newRow("many over") << 900 << 350;
    QTest::newRow("full list, full burst") << 1000 << 1000;
}

void TestTrafficListModel::keepsTheNewestThousand() {
    QFETCH(int, before);
    QFETCH(int, added);

    TrafficSession session;
    CTrafficListModel& model = session.model;
    session.setLines(numberedLines(1, before));
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    for (const QByteArray& line : numberedLines(before + 1, added)) {
        session.append(line);
    }
    model.flushPending();

    const int total = before + added;
    const int kept = qMin(total, CTrafficListModel::kMaxRows);
    QCOMPARE(model.rowCount(), kept);
    QCOMPARE(shownLines(model), asText(numberedLines(total - kept + 1, kept)));
    QCOMPARE(removed.count(), total > CTrafficListModel::kMaxRows ? 1 : 0);
}

void TestTrafficListModel::aBurstLargerThanTheListWaitsOnlyForItsTail() {
    TrafficSession session;
    CTrafficListModel& model = session.model;
    session.setLines(numberedLines(1, 10));
    for (const QByteArray& line : numberedLines(11, 5000)) {
        session.append(line);
        QVERIFY(model.pendingCount() <= CTrafficListModel::kMaxRows);
    }
    QCOMPARE(model.pendingCount(), CTrafficListModel::kMaxRows);
    QCoreApplication::processEvents();

    QCOMPARE(model.rowCount(), CTrafficListModel::kMaxRows);
    QCOMPARE(model.line(0), QByteArray("line 4011"));
    QCOMPARE(model.line(CTrafficListModel::kMaxRows - 1), QByteArray("line 5010"));
}

void TestTrafficListModel::setLinesKeepsTheNewestThousand() {
    TrafficSession session;
    CTrafficListModel& model = session.model;
    session.setLines(numberedLines(1, 1200));
    QCOMPARE(model.rowCount(), CTrafficListModel::kMaxRows);
    QCOMPARE(model.line(0), QByteArray("line 201"));
}

void TestTrafficListModel::clearDropsWaitingLines() {
    TrafficSession session;
    CTrafficListModel& model = session.model;
    session.setLines(numberedLines(1, 3));
    session.append("waiting");
    model.clear();
    QCoreApplication::processEvents();
    QCOMPARE(model.rowCount(), 0);

    session.append("after clear");
    QCoreApplication::processEvents();
    QCOMPARE(shownLines(model), QStringList{"after clear"});
}

void TestTrafficListModel::setLinesDropsWaitingLines() {
    TrafficSession session;
    CTrafficListModel& model = session.model;
    session.append("waiting");
    session.setLines(numberedLines(1, 2));
    QCoreApplication::processEvents();
    QCOMPARE(shownLines(model), asText(numberedLines(1, 2)));
}

void TestTrafficListModel::textIsUtf8WhenValidElseLatin1_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("text");

    QTest::newRow("ascii") << QByteArray("!NAME=Lobby;") << "!NAME=Lobby;";
    QTest::newRow("utf-8") << QByteArray("!NAME=Caf\xC3\xA9;") << QString::fromUtf8("!NAME=Café;");
    QTest::newRow("latin-1") << QByteArray("!NAME=Caf\xE9;") << QString::fromUtf8("!NAME=Café;");
    QTest::newRow("cut utf-8 sequence") << QByteArray("!NAME=\xC3") << QString::fromUtf8("!NAME=Ã");
    QTest::newRow("control bytes") << QByteArray(
                                          "a\x01"
                                          "b",
                                          3)
                                   << QString::fromLatin1(
                                          "a\x01"
                                          "b");
}

void TestTrafficListModel::textIsUtf8WhenValidElseLatin1() {
    QFETCH(QByteArray, line);
    QFETCH(QString, text);

    TrafficSession session;
    CTrafficListModel& model = session.model;
    session.setLines({line});
    QCOMPARE(model.data(model.index(0)).toString(), text);
    QCOMPARE(model.data(model.index(0), Qt::EditRole), QVariant());
    QCOMPARE(model.data(model.index(1)), QVariant());
}

void TestTrafficListModel::testerFindsNoFault() {
    TrafficSession session;
    CTrafficListModel& model = session.model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    session.setLines(numberedLines(1, 990));
    for (int burst = 0; burst < 5; ++burst) {
        for (const QByteArray& line : numberedLines(1000 + burst * 100, 100)) {
            session.append(line);
        }
        QCoreApplication::processEvents();
    }
    session.append("one more");
    model.flushPending();
    model.clear();
    session.append("last");
    QCoreApplication::processEvents();
    QCOMPARE(model.rowCount(), 1);
}

// What the list shows and what an export writes, for a filter, with lines arriving while
// paused, and for each way of rendering.
void TestTrafficListModel::filterPauseAndExport_data() {
    QTest::addColumn<bool>("showTime");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QList<QByteArray>>("arrivingWhilePaused");
    QTest::addColumn<QStringList>("shownWhilePaused");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("csv");

    const QList<QByteArray> none;
    const QList<QByteArray> more{"[10:00:03] (10.0.0.8) !NAME=Hall, \"east\";",
                                 "[10:00:04] (10.0.0.7) !TYPE=Caf\xe9;"};
    const QByteArray heading = "time,sender,text\r\n";
    const QByteArray lobby = "10:00:01,10.0.0.7,!NAME=Lobby;\r\n";
    const QByteArray hall = "10:00:02,10.0.0.8,!NAME=Hall;\r\n";
    const QByteArray note = ",,->Upload object match\r\n";
    const QByteArray east = "10:00:03,10.0.0.8,\"!NAME=Hall, \"\"east\"\";\"\r\n";
    const QByteArray cafe = "10:00:04,10.0.0.7,!TYPE=Caf\xc3\xa9;\r\n";
    const QStringList all{"[10:00:01] (10.0.0.7) !NAME=Lobby;", "[10:00:02] (10.0.0.8) !NAME=Hall;",
                          "->Upload object match"};

    QTest::newRow("everything") << true << QString() << none << all
                                << QByteArray(
                                       "[10:00:01] (10.0.0.7) !NAME=Lobby;\n[10:00:02] (10.0.0.8) "
                                       "!NAME=Hall;\n->Upload object match\n")
                                << heading + lobby + hall + note;
    QTest::newRow("sender") << true << "0.0.8" << none
                            << QStringList{"[10:00:02] (10.0.0.8) !NAME=Hall;"}
                            << QByteArray("[10:00:02] (10.0.0.8) !NAME=Hall;\n") << heading + hall;
    QTest::newRow("text, other case, the program's note too")
        << true << "UPLOAD" << none << QStringList{"->Upload object match"}
        << QByteArray("->Upload object match\n") << heading + note;
    QTest::newRow("not the time") << true << "10:00" << none << QStringList() << QByteArray()
                                  << heading;
    QTest::newRow("paused: arrivals wait, then pass the filter")
        << true << "10.0.0.7" << more << QStringList{"[10:00:01] (10.0.0.7) !NAME=Lobby;"}
        << QByteArray(
               "[10:00:01] (10.0.0.7) !NAME=Lobby;\n[10:00:04] (10.0.0.7) "
               "!TYPE=Caf\xc3\xa9;\n")
        << heading + lobby + cafe;
    QTest::newRow("paused, no filter: quoted CSV fields")
        << true << QString() << more << all
        << QByteArray(
               "[10:00:01] (10.0.0.7) !NAME=Lobby;\n[10:00:02] (10.0.0.8) "
               "!NAME=Hall;\n->Upload object match\n[10:00:03] (10.0.0.8) !NAME=Hall, "
               "\"east\";\n[10:00:04] (10.0.0.7) !TYPE=Caf\xc3\xa9;\n")
        << heading + lobby + hall + note + east + cafe;
    // The text is as shown; the CSV keeps every column.
    QTest::newRow("without time stamps")
        << false << "Hall" << none << QStringList{" (10.0.0.8) !NAME=Hall;"}
        << QByteArray(" (10.0.0.8) !NAME=Hall;\n") << heading + hall;
}

void TestTrafficListModel::filterPauseAndExport() {
    QFETCH(bool, showTime);
    QFETCH(QString, filter);
    QFETCH(QList<QByteArray>, arrivingWhilePaused);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, csv);

    TrafficSession session;
    CTrafficListModel& model = session.model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setRendering(showTime, true);
    session.setLines({"[10:00:01] (10.0.0.7) !NAME=Lobby;", "[10:00:02] (10.0.0.8) !NAME=Hall;",
                      "->Upload object match"});
    model.setFilter(filter);
    QCOMPARE(model.filterText(), filter);
    model.setPaused(true);
    for (const QByteArray& line : arrivingWhilePaused) {
        session.append(line);
    }
    QCoreApplication::processEvents();
    QTEST(shownLines(model), "shownWhilePaused");
    QCOMPARE(model.pendingCount(), arrivingWhilePaused.size());

    model.setPaused(false);

    QCOMPARE(model.pendingCount(), 0);
    QCOMPARE(CTrafficExport::text(model.sessionShownLines()), text);
    QCOMPARE(CTrafficExport::csv(model.sessionLines()), csv);
    // The filter only hides: cleared, every kept line is back.
    model.setFilter(QString());
    QCOMPARE(model.rowCount(), 3 + arrivingWhilePaused.size());
}

// Under a filter the list holds the newest lines that pass, however far back in the
// session they are; the filter cleared, the newest lines are back.
void TestTrafficListModel::filterGoesThroughTheWholeSession() {
    TrafficSession session;
    CTrafficListModel& model = session.model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    session.setLines(numberedLines(1, 3000));
    model.setFilter(QStringLiteral("line 29"));
    // line 29, 290-299, 2900-2999.
    QCOMPARE(model.rowCount(), 1 + 10 + 100);
    QCOMPARE(model.line(0), QByteArray("line 29"));

    for (const QByteArray& line : numberedLines(3001, 1000)) {
        session.append(line);
    }
    session.append("line 29 again");
    model.flushPending();

    QCOMPARE(model.rowCount(), 1 + 10 + 100 + 1);
    QCOMPARE(model.line(0), QByteArray("line 29"));
    QCOMPARE(model.sessionLines().size(), 1 + 10 + 100 + 1);
    model.setFilter(QString());
    QCOMPARE(model.rowCount(), CTrafficListModel::kMaxRows);
    QCOMPARE(model.line(0), QByteArray("line 3002"));
    QCOMPARE(model.sessionLines().size(), 4001);
}

// A match older than the list brings the part of the session around it into the list and
// holds it there; arrivals wait, and Resume goes back to the newest lines.
void TestTrafficListModel::findReachesBackIntoTheSession() {
    TrafficSession session;
    CTrafficListModel& model = session.model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QList<QByteArray> lines = numberedLines(1, 5000);
    lines[99] = "!NAME=Needle;";
    session.setLines(lines);

    const int row = model.find(QStringLiteral("needle"), -1, false);

    QCOMPARE(row, 99);
    QCOMPARE(model.line(row), QByteArray("!NAME=Needle;"));
    QCOMPARE(model.line(0), QByteArray("line 1"));
    QCOMPARE(model.rowCount(), CTrafficListModel::kMaxRows);
    QVERIFY(model.isPaused());
    // From there the next match goes round to the same line.
    QCOMPARE(model.find(QStringLiteral("needle"), row, true), row);

    session.append("line 5001");
    QCoreApplication::processEvents();
    QCOMPARE(model.line(row), QByteArray("!NAME=Needle;"));
    model.setPaused(false);
    QCOMPARE(model.rowCount(), CTrafficListModel::kMaxRows);
    QCOMPARE(model.line(CTrafficListModel::kMaxRows - 1), QByteArray("line 5001"));
    QCOMPARE(model.find(QStringLiteral("line 5001"), -1, false), CTrafficListModel::kMaxRows - 1);
    QVERIFY(!model.isPaused());
}

void TestTrafficListModel::pausedLinesWaitTheNewestThousand() {
    TrafficSession session;
    CTrafficListModel& model = session.model;
    session.setLines(numberedLines(1, 5));
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.setPaused(true);
    for (const QByteArray& line : numberedLines(6, 2500)) {
        session.append(line);
    }
    QCoreApplication::processEvents();
    model.flushPending();
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(model.pendingCount(), CTrafficListModel::kMaxRows);

    model.setPaused(false);

    QCOMPARE(model.rowCount(), CTrafficListModel::kMaxRows);
    QCOMPARE(model.line(0), QByteArray("line 1506"));
    QCOMPARE(model.line(CTrafficListModel::kMaxRows - 1), QByteArray("line 2505"));
}

void TestTrafficListModel::findGoesRoundBothWays_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<int>("found");

    QTest::newRow("first from nothing") << "hall" << -1 << true << 1;
    QTest::newRow("last from nothing, backwards") << "hall" << -1 << false << 3;
    QTest::newRow("next") << "HALL" << 1 << true << 3;
    QTest::newRow("next goes round") << "hall" << 3 << true << 1;
    QTest::newRow("previous goes round") << "hall" << 1 << false << 3;
    QTest::newRow("the only one finds itself") << "lobby" << 0 << true << 0;
    QTest::newRow("Latin-1 byte") << QStringLiteral("caf\u00e9") << 0 << true << 2;
    QTest::newRow("none") << "kitchen" << 0 << true << -1;
    QTest::newRow("empty finds nothing") << "" << 0 << true << -1;
}

void TestTrafficListModel::findGoesRoundBothWays() {
    QFETCH(QString, text);
    QFETCH(int, from);
    QFETCH(bool, forward);
    TrafficSession session;
    CTrafficListModel& model = session.model;
    session.setLines({"!NAME=Lobby;", "!NAME=Hall;", "!NAME=Caf\xe9;", "!NAME=Hall 2;"});
    QTEST(model.find(text, from, forward), "found");
}

QTEST_MAIN(TestTrafficListModel)
#include "TestTrafficListModel.moc"
