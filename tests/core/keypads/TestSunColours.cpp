#include "core/keypads/CSunColours.h"

#include <QTest>

using Rgb = CSunColours::Rgb;
Q_DECLARE_METATYPE(Rgb)

// The sun dialog's two scales: the colour table it sends, the strip it paints.
class TestSunColours : public QObject {
    Q_OBJECT

private slots:
    void colourTableFollowsTheKeyColours();
    void colourTableRows_data();
    void colourTableRows();
    void stripRows_data();
    void stripRows();
    void stripBandsCoverTheStrip();
};

void TestSunColours::colourTableFollowsTheKeyColours() {
    // An independent reading: in floating point, truncated toward zero at the end.
    const auto& keys = CSunColours::keyColours();
    const auto& table = CSunColours::colourTable();
    for (int level = 0; level < CSunColours::kTopLevel; ++level) {
        const Rgb& from = keys[level / 40];
        const Rgb& to = keys[level / 40 + 1];
        const double share = (level % 40) / 40.0;
        const auto component = [share](int a, int b) {
            // Nudged away from zero: a whole result must not land just below itself.
            return a + static_cast<int>((b - a) * share + ((b - a) < 0 ? -1e-9 : 1e-9));
        };
        const Rgb expected{component(from.red, to.red), component(from.green, to.green),
                           component(from.blue, to.blue)};
        QVERIFY2(table[level] == expected, qPrintable(QString::number(level)));
    }
}

void TestSunColours::colourTableRows_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<Rgb>("expected");
    QTest::newRow("night") << 0 << Rgb{0, 0, 0};
    QTest::newRow("level 1") << 1 << Rgb{1, 0, 3};
    QTest::newRow("segment 1 start") << 40 << Rgb{49, 32, 121};
    QTest::newRow("segment 1, step 1: falling blue stays high") << 41 << Rgb{52, 32, 120};
    QTest::newRow("level 239") << 239 << Rgb{240, 209, 150};
    QTest::newRow("daylight") << 240 << Rgb{240, 210, 153};
}

void TestSunColours::colourTableRows() {
    QFETCH(int, level);
    QTEST(CSunColours::colourTable()[level], "expected");
}

void TestSunColours::stripRows_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<Rgb>("expected");
    QTest::newRow("0") << 0 << Rgb{0, 0, 0};
    QTest::newRow("1") << 1 << Rgb{2, 0, 9};
    QTest::newRow("40") << 40 << Rgb{111, 11, 126};
    QTest::newRow("80") << 80 << Rgb{202, 44, 84};
    QTest::newRow("120") << 120 << Rgb{228, 116, 33};
    QTest::newRow("160") << 160 << Rgb{239, 189, 44};
    QTest::newRow("200") << 200 << Rgb{247, 235, 132};
    QTest::newRow("239") << 239 << Rgb{255, 254, 248};
    QTest::newRow("240") << 240 << Rgb{255, 255, 255};
    QTest::newRow("between 1 and 40 runs straight") << 20 << Rgb{55, 5, 66};
}

void TestSunColours::stripRows() {
    QFETCH(int, index);
    QTEST(CSunColours::stripTable()[index], "expected");
}

void TestSunColours::stripBandsCoverTheStrip() {
    for (const int height : {100, 241, 482, 1000}) {
        int expectedTop = 10;
        for (int band = 0; band <= CSunColours::kTopLevel; ++band) {
            const CSunColours::Band b = CSunColours::band(band, 10, height);
            QVERIFY(b.top <= expectedTop);  // no gap above this band
            QVERIFY(b.height >= 2);
            expectedTop = b.top + b.height;
        }
        QVERIFY(expectedTop >= 10 + height);
    }
    QCOMPARE(CSunColours::band(1, 0, 241).top, 1);
    QCOMPARE(CSunColours::band(120, 0, 482).top, 240);
}

QTEST_APPLESS_MAIN(TestSunColours)
#include "TestSunColours.moc"
