#include "core/plan/CGatewayPage.h"
#include "core/plan/CGatewayTreeModel.h"
#include "core/plan/CValidationSchema.h"
#include "core/protocol/CValueValidator.h"
#include "core/transport/CIpv4Address.h"
#include "core/tree/CNodeKind.h"
#include "support/CDocFixture.h"

#include <QAbstractItemModelTester>
#include <QTest>

namespace {

QByteArray line(const QByteArray& sender, const QByteArray& text) {
    return "[10:00:00] (" + sender + ") " + text;
}

quint32 address(const char* dotted) {
    return CIpv4Address::fromDotted(dotted);
}

// A gateway of each kind of page: a UBRIX_C with a port, TELNET with an indexed LOGIN.
const QList<QByteArray> kGateway{
    line("10.0.0.7", "!TYPE=UBRIX_C;"),         line("10.0.0.7", "!NAME=Lobby;"),
    line("10.0.0.7", "!NETWORK.DHCP=DISABLE;"), line("10.0.0.7", "!UDP.LISTEN_PORT=4000;"),
    line("10.0.0.7", "!A.SERIAL.TYPE=NONE;"),   line("10.0.0.7", "!TELNET.LOGIN.2=DISABLE;"),
    line("10.0.0.7", "!DAYTIME.TIME=12:00;"),
};

// The tree in one line per gateway: label, then sections with kinds and subsections.
QStringList describe(const CGatewayTreeItem& root) {
    QStringList lines;
    for (int row = 0; row < root.childCount(); ++row) {
        const CGatewayTreeItem& gateway = *root.child(row);
        QString text = CIpv4Address::toDotted(gateway.address) + " \"" + gateway.label + "\"";
        for (int at = 0; at < gateway.childCount(); ++at) {
            const CGatewayTreeItem& section = *gateway.child(at);
            text += QStringLiteral(" | %1=%2").arg(section.label).arg(section.kind);
            for (int below = 0; below < section.childCount(); ++below) {
                const CGatewayTreeItem& subsection = *section.child(below);
                text += QStringLiteral(" > %1=%2").arg(subsection.label).arg(subsection.kind);
            }
        }
        lines << text;
    }
    return lines;
}

}  // namespace

// The pure side of the gateway configuration view: section kinds, restart notes, the tree's
// outline of the plan, and which command a changed value makes on which page.
class TestGatewayPages : public QObject {
    Q_OBJECT

private slots:
    void sectionKinds_data();
    void sectionKinds();
    void restartNotes_data();
    void restartNotes();
    void outline_data();
    void outline();
    void commands_data();
    void commands();
    void pagesThatListNothing_data();
    void pagesThatListNothing();
    void refusedValuesMakeNoCommand();
    void typeWithAQuoteListsGreyRows();
};

void TestGatewayPages::sectionKinds_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("kind");
    QTest::newRow("NETWORK") << "NETWORK" << 21;
    QTest::newRow("UDP") << "UDP" << 22;
    QTest::newRow("TELNET") << "TELNET" << 24;
    QTest::newRow("SERIAL") << "SERIAL" << 26;
    QTest::newRow("LUTRON") << "LUTRON" << 25;
    QTest::newRow("port with letter") << "PORT (A)" << 12;
    QTest::newRow("DAYTIME") << "DAYTIME" << 23;
    QTest::newRow("WIFI") << "WIFI" << 30;
    QTest::newRow("two keywords: the earlier in the table") << "UDP NETWORK" << 21;
    QTest::newRow("keyword inside a word") << "REPORTS" << 12;
    QTest::newRow("case matters") << "network" << 0;
    QTest::newRow("no keyword") << "CLOCK" << 0;
}

void TestGatewayPages::sectionKinds() {
    QFETCH(QString, label);
    QFETCH(int, kind);
    QCOMPARE(CNodeKind::of(label.toStdString(), CNodeKind::Tree::Gateways), kind);
}

void TestGatewayPages::restartNotes_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("note");
    const QString restart = QString::fromLatin1(CGatewayPage::kRestartNeeded);
    QTest::newRow("NETWORK") << 21 << restart;
    QTest::newRow("UDP") << 22 << restart;
    QTest::newRow("TELNET") << 24 << restart;
    QTest::newRow("SERIAL") << 26 << restart;
    QTest::newRow("LUTRON") << 25 << QString::fromLatin1(CGatewayPage::kConnectionRestartNeeded);
    QTest::newRow("DAYTIME") << 23 << QString();
    QTest::newRow("gateway") << 1 << QString();
    QTest::newRow("port") << 12 << QString();
    QTest::newRow("WIFI") << 30 << QString();
}

void TestGatewayPages::restartNotes() {
    QFETCH(int, kind);
    QFETCH(QString, note);
    QCOMPARE(CGatewayPage::restartNote(kind), note);
}

void TestGatewayPages::outline_data() {
    QTest::addColumn<QList<QByteArray>>("replies");
    QTest::addColumn<QStringList>("outline");

    QTest::newRow("sections, a port and its subsection")
        << kGateway
        << QStringList{
               "10.0.0.7 \"Lobby\" | NETWORK=21 | UDP=22 | PORT (A)=12 > SERIAL=26 | "
               "TELNET=24 | DAYTIME=23"};
    QTest::newRow("no name: the address label")
        << QList<QByteArray>{line("10.0.0.8", "!TYPE=UBRIX_A;")}
        << QStringList{"10.0.0.8 \"ip= \"10.0.0.8\" \""};
    QTest::newRow("a cleared name keeps the address label, and the next gateways stay")
        << QList<QByteArray>{line("10.0.0.1", "!NAME=Hall;"), line("10.0.0.1", "!NAME=;"),
                             line("10.0.0.1", "!UDP.SEND_PORT=;"), line("10.0.0.2", "!NAME=Attic;")}
        << QStringList{"10.0.0.1 \"ip= \"10.0.0.1\" \" | UDP=22", "10.0.0.2 \"Attic\""};
    QTest::newRow("gateways in the plan's order")
        << QList<QByteArray>{line("10.0.0.9", "!NAME=B;"), line("10.0.0.3", "!NAME=A;")}
        << QStringList{"10.0.0.9 \"B\"", "10.0.0.3 \"A\""};
}

void TestGatewayPages::outline() {
    QFETCH(QList<QByteArray>, replies);
    QFETCH(QStringList, outline);
    CDocFixture fixture;
    CGatewayTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    // Reply by reply, as the view hears them, then the whole plan again: the same tree.
    for (const QByteArray& reply : replies) {
        fixture.receive({reply});
        model.addMissing(fixture.doc().plan());
    }
    QCOMPARE(describe(*model.root()), outline);
    model.rebuild(fixture.doc().plan());
    QCOMPARE(describe(*model.root()), outline);
}

void TestGatewayPages::commands_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("parentLabel");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("command");

    QTest::newRow("the gateway") << 1 << "Lobby"
                                 << ""
                                 << "NAME"
                                 << "Hall" << QByteArray("&NAME=Hall;");
    QTest::newRow("NETWORK") << 21 << "NETWORK"
                             << ""
                             << "DHCP"
                             << "ENABLE" << QByteArray("&NETWORK.DHCP=ENABLE;");
    QTest::newRow("UDP") << 22 << "UDP"
                         << ""
                         << "LISTEN_PORT"
                         << "5000" << QByteArray("&UDP.LISTEN_PORT=5000;");
    QTest::newRow("SERIAL under PORT (A)") << 26 << "SERIAL"
                                           << "PORT (A)"
                                           << "TYPE"
                                           << "KVBUS" << QByteArray("&A.SERIAL.TYPE=KVBUS;");
    QTest::newRow("TELNET, indexed row") << 24 << "TELNET"
                                         << ""
                                         << "LOGIN (2)"
                                         << "ENABLE" << QByteArray("&TELNET.LOGIN.2=ENABLE;");
    QTest::newRow("an emptied value") << 1 << "Lobby"
                                      << ""
                                      << "NAME"
                                      << "" << QByteArray("&NAME=;");
    QTest::newRow("a Latin-1 value") << 1 << "Lobby"
                                     << ""
                                     << "NAME"
                                     << "caf\u00e9" << QByteArray("&NAME=caf\xe9;");
    QTest::newRow("a time of another form") << 23 << "DAYTIME"
                                            << ""
                                            << "TIME"
                                            << "12:00" << QByteArray();
}

void TestGatewayPages::commands() {
    QFETCH(int, kind);
    QFETCH(QString, label);
    QFETCH(QString, parentLabel);
    QFETCH(QString, row);
    QFETCH(QString, value);
    QFETCH(QByteArray, command);

    CDocFixture fixture;
    fixture.receive(kGateway);
    const CGatewayPage page =
        CGatewayPage::list(fixture.doc().plan(), CValidationSchema(fixture.doc().schema()),
                           {address("10.0.0.7"), kind, label, parentLabel});
    QVERIFY(page.isListed());
    QCOMPARE(page.header(), QStringLiteral("IP: 10.0.0.7"));
    QCOMPARE(page.address(), address("10.0.0.7"));
    QStringList labels;
    for (const CPropertyRow& listed : page.rows()) {
        labels << listed.label;
    }
    QVERIFY2(labels.contains(row), qPrintable(labels.join(u',')));
    QString refusal;
    QCOMPARE(page.command(row, value, refusal), command);
    // The page knows each row's value type: a time is HH:MM:SS.
    QCOMPARE(refusal, command.isEmpty()
                          ? QStringLiteral("DAYTIME.TIME: 12:00 is not a time (HH:MM:SS, "
                                           "00:00:00 to 23:59:59)")
                          : QString());
}

void TestGatewayPages::pagesThatListNothing_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("parentLabel");
    QTest::newRow("the port itself") << 12 << "PORT (A)"
                                     << "";
    QTest::newRow("SERIAL under a parent without a letter") << 26 << "SERIAL"
                                                            << "Lobby";
    QTest::newRow("SERIAL under a port that is not in the plan") << 26 << "SERIAL"
                                                                 << "PORT (B)";
    QTest::newRow("SERIAL under a port of two letters") << 26 << "SERIAL"
                                                        << "PORT (AB)";
    QTest::newRow("a section shown with its attribute") << 21 << "NETWORK (x)"
                                                        << "";
    QTest::newRow("a kind outside the table") << 0 << "CLOCK"
                                              << "";
}

void TestGatewayPages::pagesThatListNothing() {
    QFETCH(int, kind);
    QFETCH(QString, label);
    QFETCH(QString, parentLabel);

    CDocFixture fixture;
    fixture.receive(kGateway);
    const CGatewayPage page =
        CGatewayPage::list(fixture.doc().plan(), CValidationSchema(fixture.doc().schema()),
                           {address("10.0.0.7"), kind, label, parentLabel});
    QVERIFY(!page.isListed());
    QVERIFY(page.rows().empty());
    QString refusal;
    QCOMPARE(page.command(QStringLiteral("TYPE"), QStringLiteral("KVBUS"), refusal), QByteArray());
}

void TestGatewayPages::refusedValuesMakeNoCommand() {
    CDocFixture fixture;
    fixture.receive(kGateway);
    const CGatewayPage page =
        CGatewayPage::list(fixture.doc().plan(), CValidationSchema(fixture.doc().schema()),
                           {address("10.0.0.7"), 1, QStringLiteral("Lobby"), QString()});
    QString refusal;
    QCOMPARE(page.command(QStringLiteral("NAME"), QStringLiteral("a;&VERSION_HW=RESET"), refusal),
             QByteArray());
    QCOMPARE(refusal, QString::fromLatin1(CValueValidator::kSemicolon));
    QCOMPARE(page.command(QStringLiteral("NAME"), QStringLiteral("a\r\nb"), refusal), QByteArray());
    QCOMPARE(refusal, QString::fromLatin1(CValueValidator::kControl));
}

void TestGatewayPages::typeWithAQuoteListsGreyRows() {
    CDocFixture fixture;
    fixture.receive({line("10.0.0.5", "!TYPE=a'b;"), line("10.0.0.5", "!NAME=Odd;")});
    const CGatewayPage page =
        CGatewayPage::list(fixture.doc().plan(), CValidationSchema(fixture.doc().schema()),
                           {address("10.0.0.5"), 1, QStringLiteral("Odd"), QString()});
    QVERIFY(page.isListed());
    QCOMPARE(page.rows().size(), size_t{2});
    for (const CPropertyRow& row : page.rows()) {
        QCOMPARE(row.textRgb, CPropertyRow::kGrey);
        QCOMPARE(row.editor, CPropertyRow::Editor::None);
    }
    QCOMPARE(fixture.errorLogText(), QByteArray());
}

QTEST_GUILESS_MAIN(TestGatewayPages)
#include "TestGatewayPages.moc"
