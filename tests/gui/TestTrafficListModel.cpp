#include "views/CTrafficListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

namespace {

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
};

void TestTrafficListModel::appendsWaitForTheNextTurnAndGoInAtOnce() {
    CTrafficListModel model;
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy appended(&model, &CTrafficListModel::linesAppended);

    for (const QByteArray& line : numberedLines(1, 500)) {
        model.append(line);
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

    CTrafficListModel model;
    model.setLines(numberedLines(1, before));
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    for (const QByteArray& line : numberedLines(before + 1, added)) {
        model.append(line);
    }
    model.flushPending();

    const int total = before + added;
    const int kept = qMin(total, CTrafficListModel::kMaxRows);
    QCOMPARE(model.rowCount(), kept);
    QCOMPARE(shownLines(model), asText(numberedLines(total - kept + 1, kept)));
    QCOMPARE(removed.count(), total > CTrafficListModel::kMaxRows ? 1 : 0);
}

void TestTrafficListModel::aBurstLargerThanTheListWaitsOnlyForItsTail() {
    CTrafficListModel model;
    model.setLines(numberedLines(1, 10));
    for (const QByteArray& line : numberedLines(11, 5000)) {
        model.append(line);
        QVERIFY(model.pendingCount() <= CTrafficListModel::kMaxRows);
    }
    QCOMPARE(model.pendingCount(), CTrafficListModel::kMaxRows);
    QCoreApplication::processEvents();

    QCOMPARE(model.rowCount(), CTrafficListModel::kMaxRows);
    QCOMPARE(model.line(0), QByteArray("line 4011"));
    QCOMPARE(model.line(CTrafficListModel::kMaxRows - 1), QByteArray("line 5010"));
}

void TestTrafficListModel::setLinesKeepsTheNewestThousand() {
    CTrafficListModel model;
    model.setLines(numberedLines(1, 1200));
    QCOMPARE(model.rowCount(), CTrafficListModel::kMaxRows);
    QCOMPARE(model.line(0), QByteArray("line 201"));
}

void TestTrafficListModel::clearDropsWaitingLines() {
    CTrafficListModel model;
    model.setLines(numberedLines(1, 3));
    model.append("waiting");
    model.clear();
    QCoreApplication::processEvents();
    QCOMPARE(model.rowCount(), 0);

    model.append("after clear");
    QCoreApplication::processEvents();
    QCOMPARE(shownLines(model), QStringList{"after clear"});
}

void TestTrafficListModel::setLinesDropsWaitingLines() {
    CTrafficListModel model;
    model.append("waiting");
    model.setLines(numberedLines(1, 2));
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

    CTrafficListModel model;
    model.setLines({line});
    QCOMPARE(model.data(model.index(0)).toString(), text);
    QCOMPARE(model.data(model.index(0), Qt::EditRole), QVariant());
    QCOMPARE(model.data(model.index(1)), QVariant());
}

void TestTrafficListModel::testerFindsNoFault() {
    CTrafficListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    model.setLines(numberedLines(1, 990));
    for (int burst = 0; burst < 5; ++burst) {
        for (const QByteArray& line : numberedLines(1000 + burst * 100, 100)) {
            model.append(line);
        }
        QCoreApplication::processEvents();
    }
    model.append("one more");
    model.flushPending();
    model.clear();
    model.append("last");
    QCoreApplication::processEvents();
    QCOMPARE(model.rowCount(), 1);
}

QTEST_MAIN(TestTrafficListModel)
#include "TestTrafficListModel.moc"
