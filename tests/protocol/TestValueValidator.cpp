#include "protocol/CValueValidator.h"

#include <QTest>

// The one check of every value that goes out.
class TestValueValidator : public QObject {
    Q_OBJECT

private slots:
    void values_data();
    void values();
    void utf8FromDocuments();
};

void TestValueValidator::values_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QString>("refusal");

    const QString semicolon = QString::fromLatin1(CValueValidator::kSemicolon);
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

QTEST_GUILESS_MAIN(TestValueValidator)
#include "TestValueValidator.moc"
