#include "core/project/CProjectLookup.h"
#include "core/project/CProjectTreeModel.h"

#include <QAbstractItemModelTester>
#include <QTest>

namespace {

const char* roleName(CTreeItem::Role role) {
    switch (role) {
        case CTreeItem::Role::Root:
            return "root";
        case CTreeItem::Role::Gateway:
            return "gateway";
        case CTreeItem::Role::Device:
            return "device";
        case CTreeItem::Role::Section:
            return "group";
        case CTreeItem::Role::Port:
            return "port";
    }
    return "?";
}

// One line per item, depth first: indentation, role, icon kind, label, and the section's
// port and group.
void flatten(const CProjectTreeItem& item, int depth, QStringList& lines) {
    lines << QStringLiteral("%1%2 %3 '%4' %5/%6")
                 .arg(QString(depth * 2, QLatin1Char(' ')), QLatin1String(roleName(item.role())))
                 .arg(item.kind)
                 .arg(item.label, QString::fromStdString(item.place.port()),
                      QString::fromStdString(item.place.group()));
    for (int row = 0; row < item.childCount(); ++row) {
        flatten(*item.child(row), depth + 1, lines);
    }
}

const char* const kProject = R"(<?xml version="1.0"?><Plan><Device_Configuration>
<UBRIX IP="0.0.0.1"><TYPE>UBRIX_A</TYPE><NAME>Hall</NAME>
  <NETWORK><DHCP>ENABLE</DHCP></NETWORK><DAYTIME><START>6</START></DAYTIME>
  <PORT P="C"><SERIAL><TYPE>NONE</TYPE></SERIAL></PORT><EMPTY/></UBRIX>
<DEVICE UID="12"><TYPE>LUMET_AC</TYPE><PORT P="A" Name="Desk"><LED><DISSOLVE>10</DISSOLVE></LED>
  <LED><MODE>RGB</MODE></LED></PORT><VOLTAGE><ALARM_LOW>21</ALARM_LOW></VOLTAGE></DEVICE>
<DEVICE UID="3"><TYPE>KADEL_A</TYPE><TEMPERATURE><LIMIT>40</LIMIT></TEMPERATURE></DEVICE>
<DEVICE UID="7"><WIFI><SSID>x</SSID></WIFI><REPORT><PORT><X>1</X></PORT></REPORT></DEVICE>
<DEVICE SN="99"><TYPE>LUMET_AC</TYPE></DEVICE>
</Device_Configuration><Network_Configuration/></Plan>)";

}  // namespace

// The device map's tree of a project: roles decide behaviour, kinds only choose icons.
class TestProjectTree : public QObject {
    Q_OBJECT

private slots:
    void build_data();
    void build();
    void placesFindTheirSections();
};

void TestProjectTree::build_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("withProject");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("bus devices") << CProjectTreeModel::kDeviceMode << true
                                 << QStringList{
                                        "root 0 'KV network' /",
                                        "  device 6 '12 ' /",
                                        "    port 12 'PORT (A)' A/",
                                        "      group 10 'LED' A/LED",
                                        "    group 18 'VOLTAGE' /VOLTAGE",
                                        // A family the keyword table does not know keeps
                                        // a device's icon; its group has none of its own.
                                        "  device 1 '3 ' /",
                                        "    group 0 'TEMPERATURE' /TEMPERATURE",
                                        "  device 1 '7 ' /",
                                        "    group 0 'WIFI' /WIFI",
                                        // A label holding PORT is no port without its letter.
                                        "    group 12 'REPORT' /REPORT",
                                        "      group 12 'PORT' /PORT",
                                    };
    QTest::newRow("gateways") << CProjectTreeModel::kGatewayMode << true
                              << QStringList{
                                     "root 0 'LAN network' /",
                                     "  gateway 1 '0.0.0.1' /",
                                     "    group 21 'NETWORK' /NETWORK",
                                     "    group 0 'DAYTIME' /DAYTIME",
                                     "    port 12 'PORT (C)' C/",
                                     "      group 26 'SERIAL' C/SERIAL",
                                 };
    QTest::newRow("no project") << CProjectTreeModel::kGatewayMode << false
                                << QStringList{"root 0 'LAN network' /"};
}

void TestProjectTree::build() {
    QFETCH(int, mode);
    QFETCH(bool, withProject);
    QFETCH(QStringList, expected);

    pugi::xml_document project;
    QVERIFY(project.load_string(kProject));
    CProjectTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    // Built over the other mode's tree, and again over itself: the same tree.
    for (const int over : {1 - mode, mode}) {
        model.rebuild(&project, over);
        model.rebuild(withProject ? &project : nullptr, mode);
        QStringList lines;
        flatten(*model.root(), 0, lines);
        QCOMPARE(lines, expected);
    }
}

void TestProjectTree::placesFindTheirSections() {
    pugi::xml_document project;
    QVERIFY(project.load_string(kProject));
    CProjectTreeModel model;
    model.rebuild(&project, CProjectTreeModel::kDeviceMode);
    const CProjectTreeItem& led = *model.root()->child(0)->child(0)->child(0);
    const pugi::xml_node section = CProjectLookup::section(project, led.place);
    QCOMPARE(QString::fromUtf8(section.child_value("DISSOLVE")), QStringLiteral("10"));
    QCOMPARE(led.place.device, (CProjectDevice{CProjectDevice::Role::BusDevice, "12"}));
    // The same place in a project without the section finds nothing.
    project.select_node("//PORT[@P='A']").node().remove_child("LED");
    project.select_node("//PORT[@P='A']").node().remove_child("LED");
    QVERIFY(!CProjectLookup::section(project, led.place));
}

QTEST_GUILESS_MAIN(TestProjectTree)
#include "TestProjectTree.moc"
