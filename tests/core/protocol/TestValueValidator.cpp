#include "core/protocol/CValueValidator.h"

#include <QTest>

// The one check of every value that goes out.
class TestValueValidator : public QObject {
    Q_OBJECT

private slots:
    void values_data();
    void values();
    void utf8FromDocuments();
    void valueTypes_data();
    void valueTypes();
};

void TestValueValidator::values_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QString>("refusal");

    const QString semicolon = QString::fromLatin1(CValueValidator::kSemicolon);
    const QString questionMark = QString::fromLatin1(CValueValidator::kQuestionMark);
    const QString control = QString::fromLatin1(CValueValidator::kControl);
    const auto notLatin1 = [](const QString& character) {
        return QString::fromLatin1(CValueValidator::kNotLatin1).arg(character);
    };

    QTest::newRow("plain") << QStringLiteral("Hall") << QByteArray("Hall") << QString();
    QTest::newRow("empty clears a value") << QString() << QByteArray() << QString();
    QTest::newRow("address") << QStringLiteral("10.0.0.7") << QByteArray("10.0.0.7") << QString();
    QTest::newRow("blanks and punctuation")
        << QStringLiteral(" a=b.c (d) ") << QByteArray(" a=b.c (d) ") << QString();
    QTest::newRow("Latin-1 letter as one byte")
        << QStringLiteral("Caf\u00e9") << QByteArray("Caf\xe9") << QString();
    QTest::newRow("last Latin-1 character")
        << QStringLiteral("\u00ff") << QByteArray("\xff") << QString();
    QTest::newRow("semicolon") << QStringLiteral("a;b") << QByteArray() << semicolon;
    QTest::newRow("second command")
        << QStringLiteral("x;&VERSION_HW=RESET") << QByteArray() << semicolon;
    // A reply holding "?" is a query's echo: the value's echo would never be entered.
    QTest::newRow("question mark") << QStringLiteral("a?b") << QByteArray() << questionMark;
    QTest::newRow("question mark first") << QStringLiteral("?x") << QByteArray() << questionMark;
    QTest::newRow("a query") << QStringLiteral("?") << QByteArray() << questionMark;
    QTest::newRow("carriage return") << QStringLiteral("a\rb") << QByteArray() << control;
    QTest::newRow("line feed") << QStringLiteral("a\nb") << QByteArray() << control;
    QTest::newRow("tab") << QStringLiteral("a\tb") << QByteArray() << control;
    QTest::newRow("NUL") << QString(QChar(0)) << QByteArray() << control;
    QTest::newRow("DEL") << QStringLiteral("\u007f") << QByteArray() << control;
    QTest::newRow("C1 control") << QStringLiteral("a\u0085b") << QByteArray() << control;
    QTest::newRow("euro sign") << QStringLiteral("5\u20ac") << QByteArray()
                               << notLatin1(QStringLiteral("\u20ac"));
    QTest::newRow("outside the basic plane")
        << QString::fromUtf8("\xf0\x9f\x92\xa1") << QByteArray()
        << notLatin1(QString::fromUtf8("\xf0\x9f\x92\xa1"));
}

void TestValueValidator::values() {
    QFETCH(QString, value);
    QFETCH(QByteArray, wire);
    QFETCH(QString, refusal);

    const CValueValidator::Result result = CValueValidator::check(value);
    QCOMPARE(result.refusal, refusal);
    QCOMPARE(result.accepted(), refusal.isEmpty());
    QCOMPARE(result.wire, wire);
}

void TestValueValidator::utf8FromDocuments() {
    QCOMPARE(CValueValidator::checkUtf8("Caf\xc3\xa9").wire, QByteArray("Caf\xe9"));
    // Not UTF-8 at all: nothing is guessed, the value is refused.
    QVERIFY(!CValueValidator::checkUtf8("Caf\xe9").accepted());
    QVERIFY(!CValueValidator::checkUtf8("a;b").accepted());
}

void TestValueValidator::valueTypes_data() {
    // The schema's words, as its attributes t, min, max, decimals and chars give them.
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("refusal");  // after "SETTING: value "; empty: accepted

    const QStringList ipv4{"IPV4"};
    const QString notIpv4 = "is not an IPv4 address (four numbers 0-255, as 192.168.1.10)";
    QTest::newRow("ipv4") << ipv4 << "192.168.1.10" << QString();
    QTest::newRow("ipv4 broadcast") << ipv4 << "255.255.255.255" << QString();
    QTest::newRow("ipv4 zero") << ipv4 << "0.0.0.0" << QString();
    QTest::newRow("ipv4 part above 255") << ipv4 << "300.1.2.3" << notIpv4;
    QTest::newRow("ipv4 three parts") << ipv4 << "10.0.1" << notIpv4;
    QTest::newRow("ipv4 leading zero") << ipv4 << "10.0.0.010" << notIpv4;
    QTest::newRow("ipv4 blank") << ipv4 << " 10.0.0.1" << notIpv4;
    QTest::newRow("ipv4 empty") << ipv4 << "" << notIpv4;

    const QStringList netmask{"NETMASK"};
    const QString notNetmask = "is not a netmask (contiguous ones, as 255.255.255.0)";
    QTest::newRow("netmask /24") << netmask << "255.255.255.0" << QString();
    QTest::newRow("netmask /17") << netmask << "255.255.128.0" << QString();
    QTest::newRow("netmask /32") << netmask << "255.255.255.255" << QString();
    QTest::newRow("netmask with a hole") << netmask << "255.0.255.0" << notNetmask;
    QTest::newRow("netmask 300.1.2.3") << netmask << "300.1.2.3" << notNetmask;
    QTest::newRow("netmask ones at the end") << netmask << "0.0.0.255" << notNetmask;

    const QStringList port{"PORT"};
    const QString notPort = "is not a port (1-65535)";
    const QString portAbove = "is above 65535 (a port 1-65535)";
    const QString portBelow = "is below 1 (a port 1-65535)";
    QTest::newRow("port lowest") << port << "1" << QString();
    QTest::newRow("port highest") << port << "65535" << QString();
    QTest::newRow("port 0") << port << "0" << portBelow;
    QTest::newRow("port 65536") << port << "65536" << portAbove;
    QTest::newRow("port 99999") << port << "99999" << portAbove;
    QTest::newRow("port abc") << port << "abc" << notPort;
    QTest::newRow("port with a point") << port << "5000.0" << notPort;
    QTest::newRow("port negative") << port << "-1" << portBelow;

    const QStringList level{"INT", "0", "255"};
    const QString notLevel = "is not a whole number (0-255)";
    const QString levelAbove = "is above 255 (a whole number 0-255)";
    QTest::newRow("int lowest") << level << "0" << QString();
    QTest::newRow("int highest") << level << "255" << QString();
    QTest::newRow("int 999") << level << "999" << levelAbove;
    QTest::newRow("int below") << level << "-1"
                               << "is below 0 (a whole number 0-255)";
    QTest::newRow("int with decimals") << level << "2.5" << notLevel;
    QTest::newRow("int plus sign") << level << "+5" << notLevel;
    QTest::newRow("int huge") << level << "99999999999999999999" << levelAbove;
    QTest::newRow("int huge negative") << level << "-99999999999999999999"
                                       << "is below 0 (a whole number 0-255)";

    const QStringList volts{"DECIMAL", "0", "48", "1"};
    const QString notVolts = "is not a number (0-48, at most 1 decimal)";
    QTest::newRow("decimal whole") << volts << "21" << QString();
    QTest::newRow("decimal one place") << volts << "21.5" << QString();
    QTest::newRow("decimal highest") << volts << "48.0" << QString();
    QTest::newRow("decimal two places")
        << volts << "21.55"
        << "has more than 1 decimal (a number 0-48, at most 1 decimal)";
    QTest::newRow("decimal above") << volts << "48.1"
                                   << "is above 48 (a number 0-48, at most 1 decimal)";
    QTest::newRow("decimal comma") << volts << "21,5" << notVolts;
    QTest::newRow("decimal bare point") << volts << "21." << notVolts;
    const QStringList offset{"DECIMAL", "-10", "10", "1"};
    QTest::newRow("decimal negative range") << offset << "-10.0" << QString();
    QTest::newRow("decimal negative range text")
        << offset << "-10.5"
        << "is below -10 (a number -10 to 10, at most 1 decimal)";

    const QStringList latitude{"LATITUDE"};
    const QString latitudeAbove = "is above 90 (a latitude -90 to 90, at most 6 decimals)";
    QTest::newRow("latitude") << latitude << "52.370216" << QString();
    QTest::newRow("latitude south pole") << latitude << "-90" << QString();
    QTest::newRow("latitude 200") << latitude << "200" << latitudeAbove;
    QTest::newRow("latitude 90.000001") << latitude << "90.000001" << latitudeAbove;
    QTest::newRow("latitude seven places")
        << latitude << "52.3702161"
        << "has more than 6 decimals (a latitude -90 to 90, at most 6 decimals)";
    QTest::newRow("latitude north") << latitude << "N52"
                                    << "is not a latitude (-90 to 90, at most 6 decimals)";
    const QStringList longitude{"LONGITUDE"};
    QTest::newRow("longitude west") << longitude << "-180" << QString();
    QTest::newRow("longitude 181") << longitude << "181"
                                   << "is above 180 (a longitude -180 to 180, at most 6 decimals)";

    const QStringList time{"TIME"};
    const QString notTime = "is not a time (HH:MM:SS, 00:00:00 to 23:59:59)";
    QTest::newRow("time midnight") << time << "00:00:00" << QString();
    QTest::newRow("time last second") << time << "23:59:59" << QString();
    QTest::newRow("time 24:00:00") << time << "24:00:00" << notTime;
    QTest::newRow("time no seconds") << time << "12:00" << notTime;
    QTest::newRow("time minute 60") << time << "12:60:00" << notTime;

    const QStringList date{"DATE"};
    const QString notDate = "is not a date (YYYY-MM-DD)";
    QTest::newRow("date") << date << "2026-01-01" << QString();
    QTest::newRow("date leap day") << date << "2024-02-29" << QString();
    QTest::newRow("date no leap day") << date << "2026-02-29" << notDate;
    QTest::newRow("date month 13") << date << "2026-13-01" << notDate;
    QTest::newRow("date day first") << date << "01.01.2026" << notDate;

    const QStringList zone{"ZONE"};
    const QString notZone =
        "is not a time zone (+HH:MM or -HH:MM from -12:00 to +14:00, as +01:00)";
    QTest::newRow("zone") << zone << "+01:00" << QString();
    QTest::newRow("zone quarter hour") << zone << "+05:45" << QString();
    QTest::newRow("zone westmost") << zone << "-12:00" << QString();
    QTest::newRow("zone eastmost") << zone << "+14:00" << QString();
    QTest::newRow("zone colons only") << zone << "::::::" << notZone;
    QTest::newRow("zone without sign") << zone << "01:00" << notZone;
    QTest::newRow("zone beyond the east") << zone << "+14:30" << notZone;
    QTest::newRow("zone beyond the west") << zone << "-12:30" << notZone;
    QTest::newRow("zone minute 20") << zone << "+01:20" << notZone;
    QTest::newRow("zone signs") << zone << "+-1:00" << notZone;

    const QStringList mac{"MAC"};
    const QString notMac = "is not a MAC address (six hex pairs, as 00:1B:C5:00:00:01)";
    QTest::newRow("mac") << mac << "00:1B:C5:00:00:01" << QString();
    QTest::newRow("mac lower case") << mac << "00:1b:c5:0a:ff:01" << QString();
    QTest::newRow("mac five pairs") << mac << "00:1B:C5:00:00" << notMac;
    QTest::newRow("mac not hex") << mac << "00:1B:C5:00:00:0G" << notMac;
    QTest::newRow("mac dashes") << mac << "00-1B-C5-00-00-01" << notMac;

    const QStringList host{"TEXT", "", "63", "", "A-Za-z0-9.-"};
    const QString notHost = "is not a text (at most 63 characters of \"A-Za-z0-9.-\")";
    QTest::newRow("text") << host << "pool.ntp.org" << QString();
    QTest::newRow("text range and trailing dash") << host << "my-ntp.example" << QString();
    QTest::newRow("text character outside") << host << "pool ntp" << notHost;
    QTest::newRow("text too long") << host << QString(64, QLatin1Char('a')) << notHost;
    QTest::newRow("text longest") << host << QString(63, QLatin1Char('a')) << QString();
    const QStringList passphrase{"TEXT", "8", "63", "", " -~"};
    QTest::newRow("text shorter than min") << passphrase << "short"
                                           << "is not a text (8 to 63 characters of \" -~\")";
    QTest::newRow("text without chars") << QStringList{"TEXT", "", "3"} << "abcd"
                                        << "is not a text (at most 3 characters)";

    QTest::newRow("no type: free text") << QStringList{} << "anything" << QString();
    QTest::newRow("unknown type: free text") << QStringList{"COLOUR"} << "red" << QString();
    QTest::newRow("empty value named") << port << "" << notPort;
    // A character set without "?": the shipped schema's credentials.
    QTest::newRow("text set around the question mark")
        << QStringList{"TEXT", "", "32", "", "!->@-~"} << "p@ss>w0rd!" << QString();
}

void TestValueValidator::valueTypes() {
    QFETCH(QStringList, words);
    QFETCH(QString, value);
    QFETCH(QString, refusal);

    std::vector<std::string> held;
    for (const QString& word : words) {
        held.push_back(word.toStdString());
    }
    held.resize(5);
    const CValueType type = CValueType::fromWords({held[0], held[1], held[2], held[3], held[4]});
    const CValueValidator::Result result =
        CValueValidator::check(value, type, QStringLiteral("UDP.LISTEN_PORT"));
    const QString shown = value.isEmpty() ? QStringLiteral("an empty value") : value;
    QCOMPARE(result.refusal, refusal.isEmpty()
                                 ? QString()
                                 : QStringLiteral("UDP.LISTEN_PORT: ") + shown + ' ' + refusal);
    QCOMPARE(result.wire, refusal.isEmpty() ? value.toLatin1() : QByteArray());
}

QTEST_GUILESS_MAIN(TestValueValidator)
#include "TestValueValidator.moc"
