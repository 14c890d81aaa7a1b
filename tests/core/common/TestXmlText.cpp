#include "core/common/CXPathNumber.h"
#include "core/common/CXmlFile.h"
#include "core/common/CXmlText.h"

#include <QTest>
#include <cmath>

// What may enter an XML document from the wire, and how it comes back.
class TestXmlText : public QObject {
    Q_OBJECT

private slots:
    void fromWire_data();
    void fromWire();
    void fromWireAlwaysGivesCleanText();
    void names_data();
    void names();
    void xpathNumbers_data();
    void xpathNumbers();
    void leadingIntegers_data();
    void leadingIntegers();
};

void TestXmlText::fromWire_data() {
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("ascii") << QByteArray("Lobby 1") << QByteArray("Lobby 1");
    QTest::newRow("utf-8 kept") << QByteArray("Caf\xc3\xa9") << QByteArray("Caf\xc3\xa9");
    QTest::newRow("latin-1 converted") << QByteArray("Caf\xe9") << QByteArray("Caf\xc3\xa9");
    QTest::newRow("tab kept") << QByteArray("a\tb") << QByteArray("a\tb");
    QTest::newRow("control replaced") << QByteArray(
                                             "a\x01"
                                             "b")
                                      << QByteArray(
                                             "a\xef\xbf\xbd"
                                             "b");
    QTest::newRow("cr lf replaced") << QByteArray("a\r\nb")
                                    << QByteArray(
                                           "a\xef\xbf\xbd\xef\xbf\xbd"
                                           "b");
    QTest::newRow("nul replaced") << QByteArray("a\0b", 3)
                                  << QByteArray(
                                         "a\xef\xbf\xbd"
                                         "b");
    QTest::newRow("overlong utf-8 is latin-1")
        << QByteArray("\xc0\xaf") << QByteArray("\xc3\x80\xc2\xaf");
    QTest::newRow("surrogate is latin-1")
        << QByteArray("\xed\xa0\x80") << QByteArray("\xc3\xad\xc2\xa0\xc2\x80");
    QTest::newRow("truncated sequence is latin-1")
        << QByteArray("x\xe2\x82") << QByteArray("x\xc3\xa2\xc2\x82");
    QTest::newRow("U+FFFE replaced") << QByteArray("\xef\xbf\xbe") << QByteArray("\xef\xbf\xbd");
    QTest::newRow("delete kept") << QByteArray("\x7f") << QByteArray("\x7f");
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void TestXmlText::fromWire() {
    QFETCH(QByteArray, wire);
    const std::string text = CXmlText::fromWire(wire);
    QTEST(QByteArray(text.data(), static_cast<qsizetype>(text.size())), "text");
}

void TestXmlText::fromWireAlwaysGivesCleanText() {
    // Every single byte and every pair of bytes.
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; b += 7) {
            const char bytes[2] = {static_cast<char>(a), static_cast<char>(b)};
            const std::string text = CXmlText::fromWire(QByteArrayView(bytes, 2));
            QVERIFY2(CXmlText::isCleanText(text),
                     qPrintable(QStringLiteral("%1 %2").arg(a).arg(b)));
        }
    }
}

void TestXmlText::names_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("valid");
    QTest::newRow("plain") << QByteArray("NETWORK") << true;
    QTest::newRow("underscore and digits") << QByteArray("GATEWAY_ADD2") << true;
    QTest::newRow("hyphen and dot inside") << QByteArray("a-b.c") << true;
    QTest::newRow("non-ascii letter") << QByteArray("CAF\xc3\x89") << true;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("leading digit") << QByteArray("9BAD") << false;
    QTest::newRow("leading hyphen") << QByteArray("-X") << false;
    QTest::newRow("blank") << QByteArray("A B") << false;
    QTest::newRow("colon") << QByteArray("a:b") << false;
    QTest::newRow("control") << QByteArray("A\x01") << false;
    QTest::newRow("markup") << QByteArray("A<B") << false;
    QTest::newRow("quote") << QByteArray("A'") << false;
    QTest::newRow("invalid utf-8") << QByteArray("A\xff") << false;
    QTest::newRow("C1 control as latin-1") << QByteArray("\xc2\x80") << false;
}

void TestXmlText::names() {
    QFETCH(QByteArray, name);
    QTEST(CXmlText::isValidName(name.toStdString()), "valid");
}

void TestXmlText::xpathNumbers_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("number");
    const double nan = std::nan("");
    QTest::newRow("integer") << QByteArray("12") << 12.0;
    QTest::newRow("blanks") << QByteArray(" \t12\n") << 12.0;
    QTest::newRow("negative") << QByteArray("-3") << -3.0;
    QTest::newRow("fraction") << QByteArray("1.5") << 1.5;
    QTest::newRow("leading dot") << QByteArray(".5") << 0.5;
    QTest::newRow("empty") << QByteArray("") << nan;
    QTest::newRow("trailing garbage") << QByteArray("12a") << nan;
    QTest::newRow("plus sign") << QByteArray("+1") << nan;
    QTest::newRow("exponent") << QByteArray("1e3") << nan;
    QTest::newRow("dot alone") << QByteArray(".") << nan;
}

void TestXmlText::xpathNumbers() {
    QFETCH(QByteArray, text);
    QFETCH(double, number);
    const double parsed = CXPathNumber::parse(text.toStdString());
    if (std::isnan(number)) {
        QVERIFY(std::isnan(parsed));
    } else {
        QCOMPARE(parsed, number);
    }
}

void TestXmlText::leadingIntegers_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qlonglong>("number");
    QTest::newRow("digits") << QByteArray("12") << 12LL;
    QTest::newRow("trailing text") << QByteArray("12 abc") << 12LL;
    QTest::newRow("leading blanks") << QByteArray("  7") << 7LL;
    QTest::newRow("leading zeros") << QByteArray("007") << 7LL;
    QTest::newRow("none") << QByteArray("abc") << 0LL;
    QTest::newRow("huge is capped") << QByteArray("99999999999999999999999") << 4294967295LL;
    QTest::newRow("negative") << QByteArray("-5") << -5LL;
}

void TestXmlText::leadingIntegers() {
    QFETCH(QByteArray, text);
    QTEST(static_cast<qlonglong>(CXPathNumber::leadingInteger(text.toStdString())), "number");
}

QTEST_APPLESS_MAIN(TestXmlText)
#include "TestXmlText.moc"
