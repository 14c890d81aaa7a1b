#include "support/CDocFixture.h"

#include "core/common/CXmlFile.h"

#include <QTest>

namespace {
QByteArray line(const QByteArray& text, const QByteArray& sender = "192.168.1.20") {
    return "[10:00:00] (" + sender + ") " + text;
}
const QByteArray kEmptyNetwork = "<Network_Configuration/>";
}  // namespace

// The reply parser: what each reply leaves in the plan and which hints it sends.
class TestAddMsg : public QObject {
    Q_OBJECT

private slots:
    void entersReplies_data();
    void entersReplies();
    void hints_data();
    void hints();
    void drainStopsAtRejectedLine_data();
    void drainStopsAtRejectedLine();
    void uidAnnouncementsKeepAscendingOrder();
    void knownUidAnnouncementOnlyAddsToNetwork();
    void hostileRepliesLeaveWellFormedPlan_data();
    void hostileRepliesLeaveWellFormedPlan();
    void invalidNameEndsDrainAndIsLogged();
    void nonUtf8ValueSurvivesSaveAndLoad();
    void burstOfMixedLines();
    void textReplacingChildrenForgetsThem();
};

void TestAddMsg::entersReplies_data() {
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::addColumn<QByteArray>("plan");

    QTest::newRow("gateway name")
        << QList<QByteArray>{line("!NAME=Lobby;")}
        << QByteArray(
               "<Plan><Device_Configuration><UBRIX IP=\"192.168.1.20\"><NAME>Lobby</NAME></UBRIX>"
               "</Device_Configuration><Network_Configuration><UBRIX IP=\"192.168.1.20\"/>"
               "</Network_Configuration></Plan>");
    QTest::newRow("same reply twice changes the text only")
        << QList<QByteArray>{line("!NAME=Lobby;"), line("!NAME=Hall;")}
        << QByteArray(
               "<Plan><Device_Configuration><UBRIX IP=\"192.168.1.20\"><NAME>Hall</NAME></UBRIX>"
               "</Device_Configuration><Network_Configuration><UBRIX IP=\"192.168.1.20\"/>"
               "</Network_Configuration></Plan>");
    QTest::newRow("group and port")
        << QList<QByteArray>{line("!NETWORK.DHCP=ENABLE;"), line("!A.SERIAL.TYPE=NONE;")}
        << QByteArray(
               "<Plan><Device_Configuration><UBRIX "
               "IP=\"192.168.1.20\"><NETWORK><DHCP>ENABLE</DHCP></NETWORK>"
               "<PORT P=\"A\"><SERIAL><TYPE>NONE</TYPE></SERIAL></PORT></UBRIX>"
               "</Device_Configuration><Network_Configuration><UBRIX IP=\"192.168.1.20\"/>"
               "</Network_Configuration></Plan>");
    QTest::newRow("port alias")
        << QList<QByteArray>{line("!A.ALIAS=Hall;"), line("!A.ALIAS=Stair;")}
        << QByteArray(
               "<Plan><Device_Configuration><UBRIX IP=\"192.168.1.20\"><PORT P=\"A\" "
               "Name=\"Stair\">"
               "<ALIAS>Stair</ALIAS></PORT></UBRIX></Device_Configuration><Network_Configuration>"
               "<UBRIX IP=\"192.168.1.20\"/></Network_Configuration></Plan>");
    QTest::newRow("device setting")
        << QList<QByteArray>{line("!UID5.TYPE=X;")}
        << QByteArray(
               "<Plan><Device_Configuration><DEVICE "
               "UID=\"5\"><TYPE>X</TYPE></DEVICE></Device_Configuration>"
               "<Network_Configuration><UBRIX IP=\"192.168.1.20\"><DEVICE UID=\"5\"/></UBRIX>"
               "</Network_Configuration></Plan>");
    QTest::newRow("indexed settings")
        << QList<QByteArray>{line("!UID12.LED.PRESET.3=255.0.0;"),
                             line("!UID12.LED.PRESET.4=0.0.0;"), line("!UID12.LED.PRESET.3=1.2.3;")}
        << QByteArray(
               "<Plan><Device_Configuration><DEVICE UID=\"12\"><LED><PRESET A=\"3\">1.2.3</PRESET>"
               "<PRESET A=\"4\">0.0.0</PRESET></LED></DEVICE></Device_Configuration>"
               "<Network_Configuration><UBRIX IP=\"192.168.1.20\"><DEVICE UID=\"12\"/></UBRIX>"
               "</Network_Configuration></Plan>");
    QTest::newRow("empty value")
        << QList<QByteArray>{line("!NAME=Lobby;"), line("!NAME=;")}
        << QByteArray(
               "<Plan><Device_Configuration><UBRIX IP=\"192.168.1.20\"><NAME/></UBRIX>"
               "</Device_Configuration><Network_Configuration><UBRIX IP=\"192.168.1.20\"/>"
               "</Network_Configuration></Plan>");
    QTest::newRow("serial announcements in order")
        << QList<QByteArray>{line("+SN99;"), line("+SN12;"), line("+SN99;")}
        << QByteArray(
               "<Plan><Device_Configuration><DEVICE SN=\"12\"/><DEVICE "
               "SN=\"99\"/></Device_Configuration>"
               "<Network_Configuration><UBRIX IP=\"192.168.1.20\"><DEVICE SN=\"12\"/><DEVICE "
               "SN=\"99\"/>"
               "</UBRIX></Network_Configuration></Plan>");
    QTest::newRow("large serial number is unsigned")
        << QList<QByteArray>{line("+SN3000000000;"), line("+SN3000000000;")}
        << QByteArray(
               "<Plan><Device_Configuration><DEVICE SN=\"3000000000\"/></Device_Configuration>"
               "<Network_Configuration><UBRIX IP=\"192.168.1.20\"><DEVICE "
               "SN=\"3000000000\"/></UBRIX>"
               "</Network_Configuration></Plan>");
    QTest::newRow("devices behind two gateways")
        << QList<QByteArray>{line("+UID3;", "10.0.0.1"), line("+UID2;", "10.0.0.2")}
        << QByteArray(
               "<Plan><Device_Configuration><DEVICE UID=\"2\"/><DEVICE "
               "UID=\"3\"/></Device_Configuration>"
               "<Network_Configuration><UBRIX IP=\"10.0.0.1\"><DEVICE UID=\"3\"/></UBRIX>"
               "<UBRIX IP=\"10.0.0.2\"><DEVICE UID=\"2\"/></UBRIX></Network_Configuration></Plan>");
    QTest::newRow("other lines only in history")
        << QList<QByteArray>{line("&NAME=?;"), line("hello"), line("")}
        << QByteArray("<Plan><Device_Configuration/>" + kEmptyNetwork + "</Plan>");
    QTest::newRow("device reply without path ignored")
        << QList<QByteArray>{line("!UID5=1;"), line("!NAME=A;")}
        << QByteArray(
               "<Plan><Device_Configuration><UBRIX IP=\"192.168.1.20\"><NAME>A</NAME></UBRIX>"
               "</Device_Configuration><Network_Configuration><UBRIX IP=\"192.168.1.20\"/>"
               "</Network_Configuration></Plan>");
}

void TestAddMsg::entersReplies() {
    QFETCH(QList<QByteArray>, lines);
    CDocFixture fixture;
    fixture.receive(lines);
    QTEST(fixture.planText(), "plan");
    QVERIFY(fixture.errorLogText().isEmpty());
    QCOMPARE(fixture.doc().trafficHistory().size(), static_cast<size_t>(lines.size()));
}

void TestAddMsg::hints_data() {
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::addColumn<QList<quint32>>("hints");
    QTest::newRow("new gateway") << QList<QByteArray>{line("!NAME=Lobby;")}
                                 << QList<quint32>{32, 8, 2};
    QTest::newRow("known gateway") << QList<QByteArray>{line("!NAME=Lobby;"), line("!NAME=Lobby;")}
                                   << QList<quint32>{32, 8, 32, 2};
    QTest::newRow("uid then setting") << QList<QByteArray>{line("+UID7;"), line("!UID7.NAME=Lamp;")}
                                      << QList<quint32>{32, 32, (7u << 16) + 3};
    QTest::newRow("setting then serial")
        << QList<QByteArray>{line("!UID7.NAME=Lamp;"), line("+SN99;")} << QList<quint32>{32, 32, 1};
    QTest::newRow("uids 10 2 7") << QList<QByteArray>{line("+UID10;"), line("+UID2;"),
                                                      line("+UID7;")}
                                 << QList<quint32>{32, 32, 32, (7u << 16) + 1};
    QTest::newRow("nothing entered") << QList<QByteArray>{line("hello")} << QList<quint32>{32, 0};
    QTest::newRow("empty queue") << QList<QByteArray>{} << QList<quint32>{0};
}

void TestAddMsg::hints() {
    QFETCH(QList<QByteArray>, lines);
    CDocFixture fixture;
    fixture.receive(lines);
    QTEST(fixture.takeHints(), "hints");
}

void TestAddMsg::drainStopsAtRejectedLine_data() {
    QTest::addColumn<QByteArray>("rejected");
    QTest::newRow("query echo") << line("!NAME=?;");
    QTest::newRow("keypad status") << line("!1.2.3.LED.VALUE=10");
    QTest::newRow("no equals") << line("!XYZ");
    QTest::newRow("only a port") << line("!A=1;");
}

void TestAddMsg::drainStopsAtRejectedLine() {
    QFETCH(QByteArray, rejected);
    CDocFixture fixture;
    fixture.receive({line("!NAME=A;"), rejected, line("!NAME=B;")});
    QVERIFY(fixture.planText().contains("<NAME>A</NAME>"));
    QCOMPARE(fixture.doc().inboundQueue().size(), 1);
    QCOMPARE(fixture.takeHints(), (QList<quint32>{32, 8, 32, 2}));

    fixture.doc().AddMsg();
    QVERIFY(fixture.planText().contains("<NAME>B</NAME>"));
    QVERIFY(fixture.doc().inboundQueue().isEmpty());
}

void TestAddMsg::uidAnnouncementsKeepAscendingOrder() {
    CDocFixture fixture;
    fixture.receive({line("!UID50.NAME=x;"), line("+UID10;"), line("+UID2;"), line("+UID7;")});
    // Devices created by a setting reply are appended; announced ones are sorted in.
    QCOMPARE(
        fixture.planText(),
        QByteArray(
            "<Plan><Device_Configuration><DEVICE UID=\"2\"/><DEVICE UID=\"7\"/>"
            "<DEVICE UID=\"10\"/><DEVICE UID=\"50\"><NAME>x</NAME></DEVICE></Device_Configuration>"
            "<Network_Configuration><UBRIX IP=\"192.168.1.20\"><DEVICE UID=\"2\"/>"
            "<DEVICE UID=\"7\"/><DEVICE UID=\"10\"/><DEVICE UID=\"50\"/></UBRIX>"
            "</Network_Configuration></Plan>"));
}

void TestAddMsg::knownUidAnnouncementOnlyAddsToNetwork() {
    CDocFixture fixture;
    fixture.receive({line("+UID4;", "10.0.0.1")});
    fixture.takeHints();
    fixture.receive({line("+UID4;", "10.0.0.2")});
    QCOMPARE(fixture.takeHints(), (QList<quint32>{32, (4u << 16) + 1}));
    QCOMPARE(
        fixture.planText(),
        QByteArray(
            "<Plan><Device_Configuration><DEVICE UID=\"4\"/></Device_Configuration>"
            "<Network_Configuration><UBRIX IP=\"10.0.0.1\"><DEVICE UID=\"4\"/></UBRIX>"
            "<UBRIX IP=\"10.0.0.2\"><DEVICE UID=\"4\"/></UBRIX></Network_Configuration></Plan>"));
}

void TestAddMsg::hostileRepliesLeaveWellFormedPlan_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("logged");
    QTest::newRow("name starting with digit") << QByteArray("!UID5.9BAD=1;") << true;
    QTest::newRow("blank in name") << QByteArray("!NET WORK.DHCP=1;") << true;
    QTest::newRow("control character in name") << QByteArray("!NA\x01ME=1;") << true;
    QTest::newRow("colon in name") << QByteArray("!a:b=1;") << true;
    QTest::newRow("quote in device id") << QByteArray("!UID5'.NAME=1;") << true;
    QTest::newRow("quote in index") << QByteArray("!LED.PRESET.3'=1;") << true;
    QTest::newRow("markup in value") << QByteArray("!NAME=<a>&amp;\"'</a>;") << false;
    QTest::newRow("control characters in value")
        << QByteArray("!NAME=a\x01\x02\x1b\x7f b;") << false;
    QTest::newRow("nul in value") << QByteArray("!NAME=a\0b;", 10) << false;
    QTest::newRow("invalid utf-8 in value") << QByteArray("!NAME=\xff\xfe\xc3;") << false;
    QTest::newRow("huge value") << QByteArray("!NAME=" + QByteArray(100000, 'x') + ";") << false;
    QTest::newRow("markup in port") << QByteArray("!<.NAME=1;") << false;
    QTest::newRow("binary name") << QByteArray("!\x80\x81.\x90=\x00\x01", 8) << true;
    QTest::newRow("binary value") << QByteArray("!KEY=\x00\x01\x80\xff", 9) << false;
    QTest::newRow("latin-1 name") << QByteArray("!CAF\xc9=1;") << false;
}

void TestAddMsg::hostileRepliesLeaveWellFormedPlan() {
    QFETCH(QByteArray, text);
    QFETCH(bool, logged);
    CDocFixture fixture;
    fixture.receive({line(text)});
    QCOMPARE(fixture.errorLogText().contains("Error in CUbrixVorelDoc::AddMsg()"), logged);

    const QString path = fixture.path(QStringLiteral("map.xml"));
    QVERIFY(fixture.doc().saveMapFile(path));
    pugi::xml_document reloaded;
    QString reason;
    QVERIFY2(CXmlFile::load(path, reloaded, reason), qPrintable(reason));
    QCOMPARE(CDocFixture::compact(reloaded.document_element()), fixture.planText());
}

void TestAddMsg::invalidNameEndsDrainAndIsLogged() {
    CDocFixture fixture;
    const QByteArray bad = line("!UID5.9BAD=1;");
    fixture.receive({line("!NAME=A;"), bad, line("!NAME=B;")});
    QCOMPARE(fixture.errorLogText(),
             QByteArray("[12/06/2026 14:03:09] Error in CUbrixVorelDoc::AddMsg()" + bad + "\n"));
    // What came before stays, the device created before the error stays, the rest waits.
    QVERIFY(fixture.planText().contains("<NAME>A</NAME>"));
    QVERIFY(fixture.planText().contains("<DEVICE UID=\"5\"/>"));
    QCOMPARE(fixture.doc().inboundQueue().size(), 1);
    // The final update is skipped.
    QCOMPARE(fixture.takeHints(), (QList<quint32>{32, 8, 32}));
}

void TestAddMsg::nonUtf8ValueSurvivesSaveAndLoad() {
    CDocFixture fixture;
    fixture.receive({line("!NAME=Caf\xe9\t\x01;")});
    QVERIFY(fixture.planText().contains("<NAME>Caf\xc3\xa9\t\xef\xbf\xbd</NAME>"));
    const QString path = fixture.path(QStringLiteral("map.xml"));
    QVERIFY(fixture.doc().saveMapFile(path));
    const QByteArray before = fixture.planText();
    fixture.doc().loadMapFile(path);
    QCOMPARE(fixture.planText(), before);
}

void TestAddMsg::burstOfMixedLines() {
    CDocFixture fixture;
    QList<QByteArray> burst;
    for (int i = 0; i < 300; ++i) {
        burst << line("!UID" + QByteArray::number(i % 7) + ".LED.VALUE=" + QByteArray::number(i) +
                      ";");
        if (i % 50 == 0) {
            burst << line("!1.1.0.LED.VALUE=5") << line("&NAME=?;");
        }
    }
    for (const QByteArray& text : burst) {
        fixture.doc().inboundQueue().push(text);
    }
    int drains = 0;
    while (!fixture.doc().inboundQueue().isEmpty() && drains < 100) {
        fixture.doc().AddMsg();
        ++drains;
    }
    // Each keypad line stops one drain; every setting still arrives in order.
    QCOMPARE(drains, 7);
    QVERIFY(
        fixture.planText().contains("<DEVICE UID=\"5\"><LED><VALUE>299</VALUE></LED></DEVICE>"));
    QCOMPARE(fixture.doc().trafficHistory().size(), static_cast<size_t>(burst.size()));
}

void TestAddMsg::textReplacingChildrenForgetsThem() {
    // A value for an element that holds settings replaces them, as a DOM's text does; a
    // later reply for one of them must create it afresh, not write into the removed one.
    CDocFixture fixture;
    fixture.receive({line("!NAME=x;"), line("!NAME.SUB=y;"), line("!NAME=z;"), line("!NAME.SUB=w;"),
                     line("!UID3.LED.VALUE=1;"), line("!UID3.LED=;"), line("!UID3.LED.VALUE=2;")});
    QCOMPARE(
        fixture.planText(),
        QByteArray(
            "<Plan><Device_Configuration><UBRIX IP=\"192.168.1.20\"><NAME>z<SUB>w</SUB></NAME>"
            "</UBRIX><DEVICE UID=\"3\"><LED><VALUE>2</VALUE></LED></DEVICE></Device_Configuration>"
            "<Network_Configuration><UBRIX IP=\"192.168.1.20\"><DEVICE UID=\"3\"/></UBRIX>"
            "</Network_Configuration></Plan>"));
    QVERIFY(fixture.errorLogText().isEmpty());
}

QTEST_GUILESS_MAIN(TestAddMsg)
#include "TestAddMsg.moc"
