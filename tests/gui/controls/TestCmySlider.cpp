#include "gui/controls/CColourScale.h"
#include "gui/controls/CmySlider.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

namespace {

// Exposes where the style puts the thumb, so that samples of the scale avoid it.
class ProbeSlider : public CmySlider {
public:
    using CmySlider::CmySlider;

    QRect handleRect() const {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    }
};

QList<QColor> parseColours(const QString& text) {
    QList<QColor> colours;
    for (const QString& colour : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList parts = colour.split(QLatin1Char(','));
        colours.append(QColor(parts.at(0).toInt(), parts.at(1).toInt(), parts.at(2).toInt()));
    }
    return colours;
}

QColor mix(const QColor& from, const QColor& to, double share) {
    auto channel = [share](int a, int b) { return qRound(a + (b - a) * share); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

bool near(const QColor& actual, const QColor& expected, int tolerance) {
    return qAbs(actual.red() - expected.red()) <= tolerance &&
           qAbs(actual.green() - expected.green()) <= tolerance &&
           qAbs(actual.blue() - expected.blue()) <= tolerance;
}

QImage render(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void sendMouse(QWidget* widget, QEvent::Type type, QPoint position, Qt::MouseButton button,
               Qt::MouseButtons held) {
    const QPointF local(position);
    QMouseEvent event(type, local, widget->mapToGlobal(local), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

void dragHandle(ProbeSlider& slider, int toX) {
    const QPoint start = slider.handleRect().center();
    const QPoint end(toX, start.y());
    sendMouse(&slider, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    sendMouse(&slider, QEvent::MouseMove, (start + end) / 2, Qt::NoButton, Qt::LeftButton);
    sendMouse(&slider, QEvent::MouseMove, end, Qt::NoButton, Qt::LeftButton);
    sendMouse(&slider, QEvent::MouseButtonRelease, end, Qt::LeftButton, Qt::NoButton);
}

}  // namespace

class TestCmySlider : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void scaleColours_data();
    void scaleColours();
    void segmentWidths_data();
    void segmentWidths();
    void sliderOf602PixelsDividesItsInset();
    void paintsTheScaleOfItsKind_data();
    void paintsTheScaleOfItsKind();
    void withoutScaleLooksStandard_data();
    void withoutScaleLooksStandard();
    void dragReportsPositionAtRelease_data();
    void dragReportsPositionAtRelease();
    void clickOnTrackReportsNewPosition();
    void keyboardAndRightButtonReportNothing();
};

void TestCmySlider::initTestCase() {
    // The thumb and track geometry below are the Fusion style's, whatever the desktop.
    QApplication::setStyle(QStringLiteral("Fusion"));
}

void TestCmySlider::scaleColours_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("colours");

    QTest::newRow("1 RED") << 1 << "255,0,0";
    QTest::newRow("2 GREEN") << 2 << "0,255,0";
    QTest::newRow("3 BLUE") << 3 << "0,0,255";
    QTest::newRow("4 FADE") << 4 << "0,0,0;255,255,255";
    QTest::newRow("5 HUE") << 5 << "255,0,0;255,255,0;0,255,0;0,255,255;0,0,255;255,0,255;255,0,0";
    QTest::newRow("6 SATURATION") << 6 << "255,255,255;192,0,0";
    QTest::newRow("7 SUN") << 7
                           << "0,0,80;111,11,192;202,44,84;228,116,33;239,189,44;247,235,132;"
                              "255,255,255";
    QTest::newRow("8 CCT") << 8 << "228,116,33;208,255,255";
    QTest::newRow("9 WHITE") << 9 << "255,255,255";
    QTest::newRow("0 unset") << 0 << "";
    QTest::newRow("10 unknown") << 10 << "";
    QTest::newRow("-1 unknown") << -1 << "";
}

void TestCmySlider::scaleColours() {
    QFETCH(int, kind);
    QFETCH(QString, colours);

    QCOMPARE(CColourScale::colours(kind), parseColours(colours));
    QCOMPARE(CColourScale::hasScale(kind), !colours.isEmpty());
}

void TestCmySlider::segmentWidths_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<int>>("widths");

    QTest::newRow("HUE 598") << 5 << 598 << QList<int>{99, 99, 99, 99, 99, 103};
    QTest::newRow("SUN 598") << 7 << 598 << QList<int>{99, 99, 99, 99, 99, 103};
    QTest::newRow("HUE divisible") << 5 << 600 << QList<int>{100, 100, 100, 100, 100, 100};
    QTest::newRow("HUE narrower than six") << 5 << 4 << QList<int>{0, 0, 0, 0, 0, 4};
    QTest::newRow("FADE") << 4 << 598 << QList<int>{598};
    QTest::newRow("CCT") << 8 << 101 << QList<int>{101};
    QTest::newRow("RED solid") << 1 << 598 << QList<int>{598};
    QTest::newRow("unset") << 0 << 598 << QList<int>{};
    QTest::newRow("empty area") << 5 << 0 << QList<int>{};
}

void TestCmySlider::segmentWidths() {
    QFETCH(int, kind);
    QFETCH(int, width);
    QFETCH(QList<int>, widths);

    const QRect area(2, 5, width, 8);
    const QList<CColourScale::Segment> segments = CColourScale::segments(kind, area);
    const QList<QColor> colours = CColourScale::colours(kind);

    QList<int> actual;
    int expectedLeft = area.left();
    for (qsizetype index = 0; index < segments.size(); ++index) {
        const CColourScale::Segment& segment = segments.at(index);
        actual.append(segment.rect.width());
        QCOMPARE(segment.rect.left(), expectedLeft);
        QCOMPARE(segment.rect.top(), area.top());
        QCOMPARE(segment.rect.height(), area.height());
        expectedLeft += segment.rect.width();
        QCOMPARE(segment.from, colours.at(index));
        QCOMPARE(segment.to, colours.at(colours.size() == 1 ? 0 : index + 1));
    }
    QCOMPARE(actual, widths);
    if (!segments.isEmpty()) {
        QCOMPARE(expectedLeft, area.left() + area.width());  // the last reaches the edge
    }
}

void TestCmySlider::sliderOf602PixelsDividesItsInset() {
    CmySlider slider;
    slider.setKind(CmySlider::Hue);
    slider.resize(602, 30);

    const QRect track = slider.trackRect();
    const QRect scale = slider.colourScaleRect();
    QCOMPARE(track.width(), 602);
    QCOMPARE(scale, track.adjusted(2, 2, -2, -2));
    QCOMPARE(scale.width(), 598);
    QVERIFY(scale.height() > 0);

    const QList<CColourScale::Segment> segments = CColourScale::segments(slider.kind(), scale);
    QCOMPARE(segments.size(), 6);
    QCOMPARE(segments.first().rect.width(), 99);
    QCOMPARE(segments.last().rect.left() + segments.last().rect.width(), 600);
}

void TestCmySlider::paintsTheScaleOfItsKind_data() {
    QTest::addColumn<int>("kind");
    for (int kind = 1; kind <= 9; ++kind) {
        QTest::addRow("kind %d", kind) << kind;
    }
}

void TestCmySlider::paintsTheScaleOfItsKind() {
    QFETCH(int, kind);

    ProbeSlider slider;
    slider.setRange(0, 240);
    slider.setKind(kind);
    slider.resize(602, 30);
    slider.show();
    QVERIFY(QTest::qWaitForWindowExposed(&slider));

    // Two pictures with the thumb at either end: every sample is free of it in one of them.
    slider.setValue(slider.minimum());
    const QImage thumbLeft = render(slider);
    const QRect handleLeft = slider.handleRect();
    slider.setValue(slider.maximum());
    const QImage thumbRight = render(slider);

    const QRect scale = slider.colourScaleRect();
    const int y = scale.center().y();
    auto sample = [&](int x) {
        const QImage& image = handleLeft.contains(x, y) ? thumbRight : thumbLeft;
        return QColor(image.pixel(x, y));
    };

    int checked = 0;
    for (const CColourScale::Segment& segment : CColourScale::segments(kind, scale)) {
        const int first = segment.rect.left();
        const int last = segment.rect.left() + segment.rect.width() - 1;
        const int middle = (first + last) / 2;
        const struct {
            int x;
            QColor expected;
        } points[] = {{first, segment.from},
                      {middle, mix(segment.from, segment.to, 0.5)},
                      {last, segment.to}};
        for (const auto& point : points) {
            const QColor actual = sample(point.x);
            QVERIFY2(near(actual, point.expected, 4),
                     qPrintable(QStringLiteral("x %1: %2, expected %3")
                                    .arg(point.x)
                                    .arg(actual.name(), point.expected.name())));
            ++checked;
        }
    }
    QVERIFY(checked >= 3);
    // The inset stays free of the scale: the row above it is the track's own.
    QVERIFY(QColor(thumbRight.pixel(scale.left() + 20, scale.top() - 1)) !=
            QColor(thumbRight.pixel(scale.left() + 20, scale.top())));
}

void TestCmySlider::withoutScaleLooksStandard_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("standard");
    QTest::newRow("unset") << 0 << true;
    QTest::newRow("10") << 10 << true;
    QTest::newRow("-3") << -3 << true;
    QTest::newRow("RED differs") << 1 << false;
}

void TestCmySlider::withoutScaleLooksStandard() {
    QFETCH(int, kind);
    QFETCH(bool, standard);

    QSlider plain(Qt::Horizontal);
    CmySlider custom;
    custom.setKind(kind);
    for (QSlider* slider : {&plain, static_cast<QSlider*>(&custom)}) {
        slider->setRange(0, 240);
        slider->setValue(60);
        slider->resize(300, 30);
    }

    QCOMPARE(render(custom) == render(plain), standard);
}

void TestCmySlider::dragReportsPositionAtRelease_data() {
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<bool>("toRight");
    QTest::newRow("0..240 to the right") << 0 << 240 << true;
    QTest::newRow("0..240 to the left") << 0 << 240 << false;
    QTest::newRow("CCT 1700..9000 to the right") << 1700 << 9000 << true;
    QTest::newRow("CCT 1700..9000 to the left") << 1700 << 9000 << false;
}

void TestCmySlider::dragReportsPositionAtRelease() {
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(bool, toRight);

    ProbeSlider slider;
    slider.setKind(CmySlider::Cct);
    slider.setRange(minimum, maximum);
    slider.setValue((minimum + maximum) / 2);
    slider.resize(300, 30);
    QSignalSpy released(&slider, &CmySlider::positionReleased);
    QSignalSpy moved(&slider, &QSlider::valueChanged);

    dragHandle(slider, toRight ? slider.width() + 50 : -50);

    QVERIFY(moved.size() >= 1);    // the drag itself moved the slider...
    QCOMPARE(released.size(), 1);  // ...but only the release reports
    const int end = toRight ? maximum : minimum;
    QCOMPARE(released.at(0).at(0).toInt(), end);
    QCOMPARE(slider.value(), end);
}

void TestCmySlider::clickOnTrackReportsNewPosition() {
    ProbeSlider slider;
    slider.setRange(0, 240);
    slider.setValue(0);
    slider.resize(300, 30);
    QSignalSpy released(&slider, &CmySlider::positionReleased);
    const QPoint onTrack(250, slider.handleRect().center().y());

    sendMouse(&slider, QEvent::MouseButtonPress, onTrack, Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(released.size(), 0);
    sendMouse(&slider, QEvent::MouseButtonRelease, onTrack, Qt::LeftButton, Qt::NoButton);

    QCOMPARE(released.size(), 1);
    QVERIFY(slider.value() > 0);
    QCOMPARE(released.at(0).at(0).toInt(), slider.value());
}

void TestCmySlider::keyboardAndRightButtonReportNothing() {
    ProbeSlider slider;
    slider.setRange(0, 240);
    slider.resize(300, 30);
    slider.show();
    QVERIFY(QTest::qWaitForWindowExposed(&slider));
    QSignalSpy released(&slider, &CmySlider::positionReleased);

    QTest::keyClick(&slider, Qt::Key_Right);
    QTest::keyClick(&slider, Qt::Key_End);
    QCOMPARE(slider.value(), 240);

    const QPoint onTrack(50, slider.handleRect().center().y());
    sendMouse(&slider, QEvent::MouseButtonPress, onTrack, Qt::RightButton, Qt::RightButton);
    sendMouse(&slider, QEvent::MouseButtonRelease, onTrack, Qt::RightButton, Qt::NoButton);
    // A release that no press on this slider began.
    sendMouse(&slider, QEvent::MouseButtonRelease, onTrack, Qt::LeftButton, Qt::NoButton);

    QCOMPARE(released.size(), 0);
}

QTEST_MAIN(TestCmySlider)
#include "TestCmySlider.moc"
