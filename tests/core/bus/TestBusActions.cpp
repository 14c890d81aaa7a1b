#include "core/bus/CBusActions.h"
#include "core/bus/CBusPage.h"
#include "core/bus/CBusRuns.h"
#include "core/bus/CBusTreeModel.h"
#include "core/transport/CIpv4Address.h"
#include "support/CDocFixture.h"

#include <QTest>
#include <algorithm>

namespace {

// Behind Hall (10.0.0.7): an LED controller UID 5 with a port A, UID 6 of no known type yet,
// SN 812 beside UID 812. Behind 10.0.0.8, which has no name: UID 20 and SN 900.
const QList<QByteArray> kSite{
    "[10:00:00] (10.0.0.7) !NAME=Hall;",
    "[10:00:00] (10.0.0.7) !UID5.TYPE=LUMET_AC;",
    "[10:00:00] (10.0.0.7) !UID5.LED.DISSOLVE=10;",
    "[10:00:00] (10.0.0.7) !UID5.A.LED.DISSOLVE=10;",
    "[10:00:00] (10.0.0.7) !UID5.A.IR.MODE=DISABLE;",
    "[10:00:00] (10.0.0.7) +UID6;",
    "[10:00:00] (10.0.0.7) +SN812;",
    "[10:00:00] (10.0.0.7) !UID812.TYPE=LUMET_AC;",
    "[10:00:00] (10.0.0.8) !UID20.TYPE=LUMET_AC;",
    "[10:00:00] (10.0.0.8) +SN900;",
};

const CBusTreeItem* itemAt(const CBusTreeModel& tree, const QString& path) {
    const CBusTreeItem* item = tree.root();
    for (const QString& label : path.split(u'/', Qt::SkipEmptyParts)) {
        const CBusTreeItem* next = nullptr;
        for (int row = 0; row < item->childCount() && next == nullptr; ++row) {
            next = item->child(row)->label == label ? item->child(row) : nullptr;
        }
        if (next == nullptr) {
            qFatal("no item %s", qPrintable(path));
        }
        item = next;
    }
    return item;
}

// "-": no selection; "" the root; "Hall/UID 5 /LED" an item of the tree; "@10.0.0.9" a
// gateway and "@10.0.0.9 SN 5" a device as vorel-cli names them.
CBusTarget targetOf(const CBusTreeModel& tree, const QString& spec) {
    if (spec == QLatin1String("-")) {
        return {};
    }
    if (!spec.startsWith(u'@')) {
        return CBusTarget::of(itemAt(tree, spec));
    }
    const QStringList parts = spec.mid(1).split(u' ');
    const quint32 gateway = CIpv4Address::fromDotted(parts[0].toLatin1());
    return parts.size() == 1 ? CBusTarget::gateway(gateway)
                             : CBusTarget::device(gateway, parts[1].toLatin1(), parts[2].toUInt());
}

CBusAction actionOf(const pugi::xml_document& plan, const CBusTreeModel& tree,
                    const QString& action, const QString& spec, const QString& input) {
    const CBusTarget target = targetOf(tree, spec);
    if (action == QLatin1String("click")) {
        return CBusActions::click(plan, CBusPage::forItem(plan, *itemAt(tree, spec)));
    }
    if (action == QLatin1String("set")) {
        return CBusActions::setUid(plan, target, input);
    }
    if (action == QLatin1String("assign")) {
        return CBusActions::assignUid(plan, target, input.toUInt());
    }
    if (action == QLatin1String("presetFile")) {
        const CPresetFile::Contents contents =
            input.isEmpty() ? CPresetFile::Contents{} : CPresetFile::parse(input.toLatin1());
        return CBusRuns::presetUpload(plan, target, input.isEmpty() ? QString() : "a.cms",
                                      contents);
    }
    using Simple = CBusAction (*)(const pugi::xml_document&, const CBusTarget&);
    const QHash<QString, Simple> simple{
        {"identify", &CBusActions::identify},
        {"register", &CBusActions::registration},
        {"refresh", &CBusActions::refresh},
        {"delete", &CBusActions::remove},
    };
    if (simple.contains(action)) {
        return simple[action](plan, target);
    }
    if (action == QLatin1String("collect")) {
        return CBusActions::collect(plan);
    }
    return CBusActions::replace(target);
}

// "10.0.0.7 UID 70", "* UID 70" from any gateway, "... back" for a device that comes back.
QString awaitedText(const CBusAction& action) {
    if (!action.awaited) {
        return {};
    }
    const CBusAwaited& awaited = *action.awaited;
    return QStringLiteral("%1 %2 %3%4")
        .arg(awaited.gateway.isEmpty() ? QStringLiteral("*") : QString::fromLatin1(awaited.gateway),
             QString::fromLatin1(awaited.attribute))
        .arg(awaited.number)
        .arg(awaited.comesBack ? QStringLiteral(" back") : QString());
}

// The tree below the root, one label a line.
QStringList labels(const CBusTreeItem* item, const QString& above = {}) {
    QStringList found;
    for (int row = 0; row < item->childCount(); ++row) {
        const QString path = above + item->child(row)->label;
        found << path;
        found += labels(item->child(row), path + u'/');
    }
    return found;
}

}  // namespace

// What each action of the bus view, and of vorel-cli's address, identify and register,
// sends and where, asks first, changes, waits for and tells; and what carrying it out does
// to the plan and the tree.
class TestBusActions : public QObject {
    Q_OBJECT

private slots:
    void actions_data();
    void actions();
    void performed_data();
    void performed();
};

void TestBusActions::actions_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QString>("question");
    QTest::addColumn<int>("change");
    QTest::addColumn<QString>("said");  // once carried out, the command sent
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("awaited");
    QTest::addColumn<quint32>("proposedUid");
    QTest::addColumn<bool>("ahead");  // the view goes on: the command left, or none was needed

    using C = CBusAction::Change;
    const QString none;
    const QString duplicate = QString::fromLatin1(CBusActions::kConfirmDuplicateUid)
                                  .arg(5)
                                  .arg(QStringLiteral("10.0.0.7"));
    const QString press = QString::fromLatin1(CBusActions::kPressDiscovery);
    QTest::newRow("identify, a device from the command line")
        << "identify"
        << "@10.0.0.9 SN 4000000000" << none << QByteArray("#SN4000000000=IDENTIFY;") << none
        << int(C::None) << "Identify: sent #SN4000000000=IDENTIFY; to 10.0.0.9." << none << none
        << 0u << true;
    QTest::newRow("register with nothing selected: every bus")
        << "register"
        << "-" << none << QByteArray("#UID=REGISTER;") << none << int(C::None)
        << "Register: sent #UID=REGISTER; to every gateway." << none << none << 0u << true;
    QTest::newRow("register from a device: its bus")
        << "register"
        << "10.0.0.8/SN 900 " << none << QByteArray("#UID=REGISTER;") << none << int(C::None)
        << "Register: sent #UID=REGISTER; to 10.0.0.8." << none << none << 0u << true;
    QTest::newRow("set: above the largest UID")
        << "set"
        << "Hall"
        << "65536" << QByteArray() << none << int(C::None)
        << "Set: nothing sent, \"65536\" is not a UID (a number from 1 to 65535)." << none << none
        << 0u << false;
    QTest::newRow("set: the field reads six characters")
        << "set"
        << "Hall"
        << "0000071" << QByteArray("#UID=7;") << none << int(C::None)
        << "Set: sent #UID=7; to Hall (10.0.0.7)." << press << "10.0.0.7 UID 7" << 0u << true;
    QTest::newRow("set: the root")
        << "set"
        << ""
        << "7" << QByteArray() << none << int(C::None)
        << "Set: nothing sent, the root is selected: select a gateway or a device known by its "
           "serial number."
        << none << none << 0u << false;
    QTest::newRow("set: a serial number takes its UID and comes back under it")
        << "set"
        << "Hall/SN 812 "
        << "70" << QByteArray("#SN812.UID=70;") << none << int(C::RemoveSerialDevice)
        << "Set: sent #SN812.UID=70; to Hall (10.0.0.7)." << none << "10.0.0.7 UID 70 back" << 1u
        << true;
    QTest::newRow("set: a UID its bus has is asked about")
        << "set"
        << "Hall/SN 812 "
        << "5" << QByteArray("#SN812.UID=5;") << duplicate << int(C::RemoveSerialDevice)
        << "Set: sent #SN812.UID=5; to Hall (10.0.0.7)." << none << "10.0.0.7 UID 5 back" << 1u
        << true;
    QTest::newRow("set: a UID another bus has is not")
        << "set"
        << "10.0.0.8/SN 900 "
        << "5" << QByteArray("#SN900.UID=5;") << none << int(C::RemoveSerialDevice)
        << "Set: sent #SN900.UID=5; to 10.0.0.8." << none << "10.0.0.8 UID 5 back" << 1u << true;
    QTest::newRow("address --arm, every bus, beyond the field's range")
        << "assign"
        << "@255.255.255.255"
        << "999999" << QByteArray("#UID=999999;") << none << int(C::None)
        << "Set: sent #UID=999999; to every gateway." << press << "* UID 999999" << 0u << true;
    QTest::newRow("address --serial --via")
        << "assign"
        << "@10.0.0.9 SN 100003"
        << "50" << QByteArray("#SN100003.UID=50;") << none << int(C::RemoveSerialDevice)
        << "Set: sent #SN100003.UID=50; to 10.0.0.9." << none << "10.0.0.9 UID 50 back" << 1u
        << true;
    QTest::newRow("refresh the root: discovery")
        << "refresh"
        << "" << none << QByteArray("&NAME=?;") << none << int(C::ForgetTree)
        << "Discovery: asked every gateway for its name (&NAME=?; to all)." << none << none << 0u
        << true;
    QTest::newRow("refresh a device from its section")
        << "refresh"
        << "Hall/UID 5 /PORT (A)/LED" << none << QByteArray("#UID5=?;") << none
        << int(C::RemoveDevice) << "Refresh: sent #UID5=?; to Hall (10.0.0.7)." << none
        << "10.0.0.7 UID 5 back" << 0u << true;
    QTest::newRow("refresh a serial number: it announces itself again")
        << "refresh"
        << "10.0.0.8/SN 900 " << none << QByteArray("#UID=REGISTER;") << none
        << int(C::RemoveDevice) << "Refresh: sent #UID=REGISTER; to 10.0.0.8." << none
        << "10.0.0.8 SN 900 back" << 0u << true;
    QTest::newRow("refresh nothing")
        << "refresh"
        << "-" << none << QByteArray() << none << int(C::None)
        << "Refresh: nothing sent, nothing is selected." << none << none << 0u << false;
    QTest::newRow("delete everything, asked first")
        << "delete"
        << "-" << none << QByteArray() << QString::fromLatin1(CBusActions::kConfirmDeleteAll)
        << int(C::RemoveAll) << "Delete: every gateway and device left the map; nothing was sent."
        << none << none << 0u << true;
    QTest::newRow("delete a gateway")
        << "delete"
        << "10.0.0.8" << none << QByteArray() << none << int(C::RemoveGateway)
        << "Delete: 10.0.0.8 left the map with its devices; nothing was sent." << none << none << 0u
        << true;
    QTest::newRow("click a device without a type: asked for its settings")
        << "click"
        << "Hall/UID 6 " << none << QByteArray("#UID6=?;") << none << int(C::None)
        << "Asked UID 6 behind Hall (10.0.0.7) for its settings." << none << none << 0u << true;
    QTest::newRow("click a typed device: it is listed, nothing is sent")
        << "click"
        << "Hall/UID 5 " << none << QByteArray() << none << int(C::None) << none << none << none
        << 0u << true;
    QTest::newRow("collect")
        << "collect"
        << "-" << none << QByteArray() << none << int(C::None)
        << "Collect: asking every gateway and each of its devices for their settings." << none
        << none << 0u << true;
    QTest::newRow("replace a serial number")
        << "replace"
        << "Hall/SN 812 " << none << QByteArray() << none << int(C::None) << none
        << QString::fromLatin1(CBusActions::kSelectDevice) << none << 0u << false;
    QTest::newRow("preset file: none chosen")
        << "presetFile"
        << "Hall/UID 5 /LED" << none << QByteArray() << none << int(C::None)
        << "Upload CMS File: nothing sent, no file was chosen." << none << none << 0u << false;
    QTest::newRow("preset file: two presets")
        << "presetFile"
        << "Hall/UID 5 /LED"
        << "1,1\n2,2\n"
        << QByteArray() << none << int(C::None)
        << "Upload CMS File: sending 2 preset(s) to UID 5 behind Hall (10.0.0.7)." << none << none
        << 0u << true;
}

void TestBusActions::actions() {
    QFETCH(QString, action);
    QFETCH(QString, target);
    QFETCH(QString, input);
    QFETCH(QByteArray, command);
    QFETCH(QString, question);
    QFETCH(int, change);
    QFETCH(QString, said);
    QFETCH(QString, message);
    QFETCH(QString, awaited);
    QFETCH(quint32, proposedUid);

    CDocFixture fixture;
    fixture.receive(kSite);
    CBusTreeModel tree;
    tree.update(fixture.doc().plan());
    const CBusAction found = actionOf(fixture.doc().plan(), tree, action, target, input);

    QCOMPARE(found.command, command);
    QCOMPARE(found.question, question);
    QCOMPARE(found.change, CBusAction::Change(change));
    QCOMPARE(awaitedText(found), awaited);
    QCOMPARE(found.proposedUid, proposedUid);
    // The question comes before a change a site does not take back: Enter answers No there.
    QCOMPARE(found.enterAnswersNo,
             question == QString::fromLatin1(CBusActions::kConfirmDuplicateUid)
                             .arg(5)
                             .arg(QStringLiteral("10.0.0.7")));
    if (!question.isEmpty()) {
        QVERIFY(found.declined.startsWith(found.name + QStringLiteral(": ")));
    }
    // What the user is told once the action was carried out, its command having left.
    const CBusActions::Outcome outcome =
        CBusActions::perform(found, fixture.doc(), tree, [](const CBusAction&) { return true; });
    QCOMPARE(outcome.said, said);
    QCOMPARE(outcome.message, message);
    QFETCH(bool, ahead);
    QCOMPARE(outcome.sent, ahead);
}

void TestBusActions::performed_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("sendFails");
    QTest::addColumn<QStringList>("gone");  // items no longer in the tree
    QTest::addColumn<QList<QByteArray>>("planGone");
    QTest::addColumn<QList<QByteArray>>("planKept");
    QTest::addColumn<QString>("said");

    QTest::newRow("a serial number given its UID leaves the plan: the UID of its number stays")
        << "set"
        << "Hall/SN 812 " << false << QStringList{"Hall/SN 812 "} << QList<QByteArray>{"SN=\"812\""}
        << QList<QByteArray>{"UID=\"812\"", "SN=\"900\""}
        << "Set: sent #SN812.UID=70; to Hall (10.0.0.7).";
    QTest::newRow("a command that did not leave changes nothing")
        << "set"
        << "Hall/SN 812 " << true << QStringList{} << QList<QByteArray>{}
        << QList<QByteArray>{"SN=\"812\""}
        << "Set: #SN812.UID=70; could not be sent to Hall "
           "(10.0.0.7).";
    QTest::newRow("a refreshed device leaves the plan until it answers")
        << "refresh"
        << "Hall/UID 5 /LED" << false << QStringList{"Hall/UID 5 "}
        << QList<QByteArray>{"UID=\"5\"", "DISSOLVE"} << QList<QByteArray>{"UID=\"6\""}
        << "Refresh: sent #UID5=?; to Hall (10.0.0.7).";
    QTest::newRow("discovery forgets the tree, not the plan")
        << "refresh"
        << "" << false << QStringList{"Hall", "10.0.0.8"} << QList<QByteArray>{}
        << QList<QByteArray>{"UID=\"5\"", "10.0.0.8"}
        << "Discovery: asked every gateway for its name (&NAME=?; to all).";
    QTest::newRow("a deleted gateway takes its devices; the other's stay")
        << "delete"
        << "10.0.0.8" << false << QStringList{"10.0.0.8"}
        << QList<QByteArray>{"UID=\"20\"", "SN=\"900\"", "10.0.0.8"}
        << QList<QByteArray>{"UID=\"5\"", "SN=\"812\"", "10.0.0.7"}
        << "Delete: 10.0.0.8 left the map with its devices; nothing was sent.";
    QTest::newRow("a deleted serial number: the UID of its number stays")
        << "delete"
        << "Hall/SN 812 " << true << QStringList{"Hall/SN 812 "} << QList<QByteArray>{"SN=\"812\""}
        << QList<QByteArray>{"UID=\"812\"", "LUMET_AC"}
        << "Delete: SN 812 behind Hall (10.0.0.7) left the map; nothing was sent.";
    QTest::newRow("deleting everything")
        << "delete"
        << "-" << false << QStringList{"Hall", "10.0.0.8"}
        << QList<QByteArray>{"UID", "SN", "UBRIX"} << QList<QByteArray>{}
        << "Delete: every gateway and device left the map; nothing was sent.";
}

void TestBusActions::performed() {
    QFETCH(QString, action);
    QFETCH(QString, target);
    QFETCH(bool, sendFails);
    QFETCH(QStringList, gone);
    QFETCH(QList<QByteArray>, planGone);
    QFETCH(QList<QByteArray>, planKept);
    QFETCH(QString, said);

    CDocFixture fixture;
    fixture.receive(kSite);
    CBusTreeModel tree;
    tree.update(fixture.doc().plan());
    const QStringList before = labels(tree.root());
    const CBusAction found =
        actionOf(fixture.doc().plan(), tree, action, target, QStringLiteral("70"));
    QList<QByteArray> sent;

    const CBusActions::Outcome outcome =
        CBusActions::perform(found, fixture.doc(), tree, [&](const CBusAction& leaving) {
            sent << leaving.command;
            return !sendFails;
        });

    QCOMPARE(outcome.said, said);
    QCOMPARE(sent,
             found.command.isEmpty() ? QList<QByteArray>{} : QList<QByteArray>{found.command});
    QStringList expected = before;
    expected.removeIf([&](const QString& path) {
        return std::any_of(gone.begin(), gone.end(), [&](const QString& item) {
            return path == item || path.startsWith(item + u'/');
        });
    });
    QCOMPARE(labels(tree.root()), expected);
    const QByteArray plan = fixture.planText();
    for (const QByteArray& text : planGone) {
        QVERIFY2(!plan.contains(text), text.constData());
    }
    for (const QByteArray& text : planKept) {
        QVERIFY2(plan.contains(text), text.constData());
    }
}

QTEST_GUILESS_MAIN(TestBusActions)
#include "TestBusActions.moc"
