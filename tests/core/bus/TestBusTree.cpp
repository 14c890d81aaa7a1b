#include "core/bus/CBusPage.h"
#include "core/bus/CBusTreeModel.h"
#include "support/CDocFixture.h"

#include <QAbstractItemModelTester>
#include <QTest>

namespace {

// "10.0.0.7 !UID5.TYPE=X;" as the receive thread queues it.
QList<QByteArray> lines(const QList<QByteArray>& replies) {
    QList<QByteArray> queued;
    for (const QByteArray& reply : replies) {
        const qsizetype blank = reply.indexOf(' ');
        queued.append("[10:00:00] (" + reply.left(blank) + ") " + reply.mid(blank + 1));
    }
    return queued;
}

// The tree below the root, one item a line: indentation, label in brackets, kind.
QByteArray dump(const CBusTreeItem* item, int depth = 0) {
    QByteArray text;
    for (int row = 0; row < item->childCount(); ++row) {
        const CBusTreeItem* child = item->child(row);
        text += QByteArray(depth * 2, ' ') + "[" + child->label.toUtf8() + "] " +
                QByteArray::number(child->kind) + "\n";
        text += dump(child, depth + 1);
    }
    return text;
}

// The item reached from the root by labels, "10.0.0.7/UID 5 /PORT (A)".
const CBusTreeItem* find(const CBusTreeModel& model, const QString& path) {
    const CBusTreeItem* item = model.root();
    for (const QString& label : path.split(QLatin1Char('/'))) {
        const CBusTreeItem* next = nullptr;
        for (int row = 0; row < item->childCount() && next == nullptr; ++row) {
            if (item->child(row)->label == label) {
                next = item->child(row);
            }
        }
        if (next == nullptr) {
            return nullptr;
        }
        item = next;
    }
    return item;
}

}  // namespace

// The bus view's tree as replies build it, and what a click on each item lists and sends.
class TestBusTree : public QObject {
    Q_OBJECT

private slots:
    void treeFromReplies_data();
    void treeFromReplies();
    void repeatedUpdatesAddNothing();
    void pages_data();
    void pages();
    void modelStaysConsistent();
};

void TestBusTree::treeFromReplies_data() {
    QTest::addColumn<QList<QByteArray>>("replies");
    QTest::addColumn<QByteArray>("tree");

    QTest::newRow("devices in ascending order, whatever order they came in")
        << QList<QByteArray>{"10.0.0.7 +UID30;", "10.0.0.7 +UID5;", "10.0.0.7 +UID12;"}
        << QByteArray("[10.0.0.7] 1\n  [UID 5 ] 2\n  [UID 12 ] 2\n  [UID 30 ] 2\n");
    QTest::newRow("a serial number and a UID of the same number are two devices")
        << QList<QByteArray>{"10.0.0.7 +UID812;", "10.0.0.7 +SN812;", "10.0.0.7 +SN4000000000;"}
        << QByteArray("[10.0.0.7] 1\n  [UID 812 ] 2\n  [SN 812 ] 2\n  [SN 4000000000 ] 2\n");
    QTest::newRow("the gateway's name when it is known as the item is made")
        << QList<QByteArray>{"10.0.0.7 !NAME=Hall;", "10.0.0.7 +UID1;", "10.0.0.8 +UID2;"}
        << QByteArray("[Hall] 1\n  [UID 1 ] 2\n[10.0.0.8] 1\n  [UID 2 ] 2\n");
    QTest::newRow("a family keyword comes before PORT")
        << QList<QByteArray>{"10.0.0.7 !UID5.TYPE=LUMET_PORT4;"}
        << QByteArray("[10.0.0.7] 1\n  [UID 5 ] 6\n");
    QTest::newRow("port kinds follow each device's own type")
        << QList<QByteArray>{"10.0.0.7 !UID1.TYPE=VEXRS_A;",     "10.0.0.7 !UID1.A.BUS.MODE=ON;",
                             "10.0.0.7 !UID2.A.LED.DISSOLVE=1;", "10.0.0.7 !UID2.TYPE=LUMET_AC;",
                             "10.0.0.7 !UID3.A.MOTOR.MODE=UP;",  "10.0.0.7 !UID3.TYPE=MOTRA_2;",
                             "10.0.0.7 !UID4.A.KEY.MODE=ON;",    "10.0.0.7 !UID4.TYPE=TAVO_LX;"}
        << QByteArray(
               "[10.0.0.7] 1\n  [UID 1 ] 3\n    [PORT (A)] 17\n      [BUS] 15\n"
               "  [UID 2 ] 6\n    [PORT (A)] 29\n      [LED] 10\n"
               "  [UID 3 ] 4\n    [PORT (A)] 28\n      [MOTOR] 13\n"
               "  [UID 4 ] 5\n    [PORT (A)] 12\n      [KEY] 16\n");
    QTest::newRow("a port's alias follows its label; a section's alias does not")
        << QList<QByteArray>{"10.0.0.7 !UID5.TYPE=LUMET_AC;", "10.0.0.7 !UID5.A.ALIAS=Kitchen;",
                             "10.0.0.7 !UID5.A.LED.DISSOLVE=1;", "10.0.0.7 !UID5.LED.ALIAS=Desk;",
                             "10.0.0.7 !UID5.LED.DISSOLVE=2;"}
        << QByteArray(
               "[10.0.0.7] 1\n  [UID 5 ] 6\n    [PORT (A) Kitchen] 29\n      [LED] 10\n"
               "    [LED] 10\n");
    QTest::newRow("a device's alias names it")
        << QList<QByteArray>{"10.0.0.7 !UID5.TYPE=LUMET_AC;", "10.0.0.7 !UID5.ALIAS=Desk lamp;"}
        << QByteArray("[10.0.0.7] 1\n  [Desk lamp] 6\n");
    QTest::newRow("an emptied alias is no alias, and nothing after it is lost")
        << QList<QByteArray>{"10.0.0.7 !UID5.ALIAS=Desk;",    "10.0.0.7 !UID5.ALIAS=;",
                             "10.0.0.7 !UID5.A.ALIAS=;",      "10.0.0.7 !UID5.A.LED.MODE=ON;",
                             "10.0.0.7 !UID6.TYPE=LUMET_AC;", "10.0.0.8 +UID7;"}
        << QByteArray(
               "[10.0.0.7] 1\n  [UID 5 ] 2\n    [PORT (A)] 12\n      [LED] 10\n"
               "  [UID 6 ] 6\n[10.0.0.8] 1\n  [UID 7 ] 2\n");
    QTest::newRow("a device of a family no keyword names")
        << QList<QByteArray>{"10.0.0.7 !UID9.TYPE=NEBIL_A;", "10.0.0.7 !UID9.LED.MODE=ON;"}
        << QByteArray("[10.0.0.7] 1\n  [UID 9 ] 0\n    [LED] 10\n");
    QTest::newRow("labels match exactly, not by their beginning")
        << QList<QByteArray>{"10.0.0.7 !UID5.LED_MODE.A=1;", "10.0.0.7 !UID5.LED.DISSOLVE=1;"}
        << QByteArray("[10.0.0.7] 1\n  [UID 5 ] 2\n    [LED_MODE] 10\n    [LED] 10\n");
    QTest::newRow("a serial device never shows the settings of the UID of its number")
        << QList<QByteArray>{"10.0.0.7 +SN100003;", "10.0.0.7 !UID100003.TYPE=LUMET_AC;",
                             "10.0.0.7 !UID100003.ALIAS=Hall;"}
        << QByteArray("[10.0.0.7] 1\n  [SN 100003 ] 2\n  [Hall] 6\n");
}

void TestBusTree::treeFromReplies() {
    QFETCH(QList<QByteArray>, replies);
    QFETCH(QByteArray, tree);

    CDocFixture fixture;
    CBusTreeModel model;
    // One update after every reply, as the view gets them, and the same tree at the end.
    for (const QByteArray& reply : lines(replies)) {
        fixture.receive({reply});
        model.update(fixture.doc().plan());
    }
    QCOMPARE(dump(model.root()), tree);
    CBusTreeModel atOnce;
    atOnce.update(fixture.doc().plan());
    QCOMPARE(dump(atOnce.root()), tree);
}

void TestBusTree::repeatedUpdatesAddNothing() {
    CDocFixture fixture;
    fixture.receive(lines({"10.0.0.7 !UID5.TYPE=LUMET_AC;", "10.0.0.7 !UID5.LED.ALIAS=Desk;",
                           "10.0.0.7 !UID5.A.ALIAS=Hall;", "10.0.0.7 !UID5.A.LED.MODE=ON;"}));
    CBusTreeModel model;
    model.update(fixture.doc().plan());
    const QByteArray first = dump(model.root());
    // A gateway keeps the label it was given, whatever name it reports later.
    for (int pass = 0; pass < 10; ++pass) {
        fixture.receive(lines({"10.0.0.7 !UID5.LED.DISSOLVE=" + QByteArray::number(pass) + ";",
                               "10.0.0.7 !NAME=Stair " + QByteArray::number(pass) + ";"}));
        model.update(fixture.doc().plan());
    }
    QCOMPARE(dump(model.root()), first);
}

void TestBusTree::pages_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QByteArray>("firstRow");
    QTest::addColumn<QByteArray>("command");

    using A = CBusPage::Action;
    const QByteArray none;
    QTest::newRow("gateway") << "Hall" << int(A::Nothing) << "IP : 10.0.0.7" << none << none;
    QTest::newRow("device") << "Hall/UID 5 " << int(A::List) << "UID: 5" << QByteArray("TYPE")
                            << QByteArray("#UID5.ALIAS=DESK;");
    QTest::newRow("section") << "Hall/UID 5 /LED" << int(A::List) << "UID: 5"
                             << QByteArray("DISSOLVE") << QByteArray("#UID5.LED.DISSOLVE=20;");
    QTest::newRow("section under a port")
        << "Hall/UID 5 /PORT (A) Kitchen/LED" << int(A::List) << "UID: 5" << QByteArray("MODE")
        << QByteArray("#UID5.A.LED.DISSOLVE=20;");
    QTest::newRow("port of a motor controller")
        << "Hall/UID 6 /PORT (B)" << int(A::List) << "UID: 6" << QByteArray("MOTOR")
        << QByteArray("#UID6.B.ALIAS=DESK;");
    QTest::newRow("IR under a port is committed under that port")
        << "Hall/UID 5 /PORT (A) Kitchen/IR" << int(A::List) << "UID: 5" << QByteArray("MODE")
        << QByteArray("#UID5.A.IR.MODE=ENABLE;");
    QTest::newRow("a device without a type is asked for its settings")
        << "Hall/UID 7 " << int(A::QueryDevice) << "" << none << none;
    QTest::newRow("a section of a device without a type")
        << "Hall/UID 7 /LED" << int(A::NoType) << "" << none << none;
    QTest::newRow("a device known by its serial number")
        << "Hall/SN 5 " << int(A::Nothing) << "" << none << none;
    QTest::newRow("a device of a family no keyword names")
        << "Hall/UID 9 " << int(A::List) << "UID: 9" << QByteArray("TYPE")
        << QByteArray("#UID9.ALIAS=DESK;");
    QTest::newRow("a port of another device lists nothing")
        << "Hall/UID 8 /PORT (A)" << int(A::Nothing) << "" << none << none;
}

void TestBusTree::pages() {
    QFETCH(QString, item);
    QFETCH(int, action);
    QFETCH(QString, header);
    QFETCH(QByteArray, firstRow);
    QFETCH(QByteArray, command);

    CDocFixture fixture;
    fixture.receive(lines({
        "10.0.0.7 !NAME=Hall;",
        "10.0.0.7 !UID5.TYPE=LUMET_AC;",
        "10.0.0.7 !UID5.A.ALIAS=Kitchen;",
        "10.0.0.7 !UID5.A.LED.MODE=ON;",
        "10.0.0.7 !UID5.A.IR.MODE=DISABLE;",
        "10.0.0.7 !UID5.LED.DISSOLVE=10;",
        "10.0.0.7 !UID6.TYPE=MOTRA_2;",
        "10.0.0.7 !UID6.B.MOTOR.MODE=UP;",
        "10.0.0.7 !UID7.LED.MODE=ON;",
        "10.0.0.7 +SN5;",
        "10.0.0.7 !UID8.TYPE=VEXRS_A;",
        "10.0.0.7 !UID8.A.BUS.MODE=ON;",
        "10.0.0.7 !UID9.TYPE=NEBIL_A;",
    }));
    CBusTreeModel model;
    model.update(fixture.doc().plan());
    const CBusTreeItem* clicked = find(model, item);
    QVERIFY2(clicked != nullptr, qPrintable(dump(model.root())));

    const CBusPage page = CBusPage::forItem(fixture.doc().plan(), *clicked);
    QCOMPARE(int(page.action), action);
    QCOMPARE(page.header, header);
    QCOMPARE(QByteArray(page.element.first_child().name()), firstRow);
    QCOMPARE(page.gatewayAddress, clicked->gatewayAddress);
    if (!command.isEmpty()) {
        const QByteArray key = command.mid(command.lastIndexOf('.') + 1).split('=').front();
        const QByteArray value = command.split('=').back().chopped(1);
        QString refusal;
        QCOMPARE(page.command(QString::fromLatin1(key), QString::fromLatin1(value), refusal),
                 command);
        QCOMPARE(page.command(QStringLiteral("PRESET (12345678)"), QStringLiteral("1"), refusal),
                 command.left(command.lastIndexOf('.') + 1) + "PRESET.12345678=1;");
        QCOMPARE(page.command(QString::fromLatin1(key), QStringLiteral("a;b"), refusal),
                 QByteArray());
        QVERIFY(refusal.contains(QLatin1String("\";\"")));
    }
}

void TestBusTree::modelStaysConsistent() {
    CDocFixture fixture;
    CBusTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QList<QByteArray> replies = lines({
        "10.0.0.8 +UID3;",
        "10.0.0.7 +UID30;",
        "10.0.0.7 +UID5;",
        "10.0.0.7 !UID5.TYPE=LUMET_AC;",
        "10.0.0.7 !UID5.A.ALIAS=Kitchen;",
        "10.0.0.7 !UID5.A.LED.MODE=ON;",
        "10.0.0.7 +SN5;",
        "10.0.0.7 !UID5.ALIAS=Desk;",
    });
    for (const QByteArray& reply : replies) {
        fixture.receive({reply});
        model.update(fixture.doc().plan());
    }
    model.removeItem(model.device("10.0.0.7", "SN", 5));
    QCOMPARE(dump(model.root()),
             QByteArray("[10.0.0.8] 1\n  [UID 3 ] 2\n[10.0.0.7] 1\n  [Desk] 6\n"
                        "    [PORT (A) Kitchen] 29\n      [LED] 10\n  [UID 30 ] 2\n"));
    // A rebuild brings the tree to the plan: SN 5 comes back, the gateway that left the
    // plan goes, and the items that stay are the items they were.
    const QPersistentModelIndex desk(model.indexOf(model.device("10.0.0.7", "UID", 5)));
    fixture.doc().removeGateway("10.0.0.8");
    model.rebuild(fixture.doc().plan());
    CBusTreeModel fresh;
    fresh.update(fixture.doc().plan());
    QCOMPARE(dump(model.root()), dump(fresh.root()));
    QVERIFY(dump(model.root()).contains("[SN 5 ]"));
    QCOMPARE(desk.data().toString(), QStringLiteral("Desk"));
    model.removeItem(model.gateway("10.0.0.7"));
    model.reset();
    QCOMPARE(model.rowCount(model.indexOf(model.root())), 0);
}

QTEST_GUILESS_MAIN(TestBusTree)
#include "TestBusTree.moc"
