#include "gui/controls/CmySlider.h"

#include "gui/controls/CColourScale.h"

#include <QMouseEvent>
#include <QStyleOptionSlider>
#include <QStylePainter>

CmySlider::CmySlider(QWidget* parent) : CmySlider(Qt::Horizontal, parent) {}

CmySlider::CmySlider(Qt::Orientation orientation, QWidget* parent) : QSlider(orientation, parent) {}

void CmySlider::setKind(int kind) {
    m_kind = kind;
    update();
}

void CmySlider::setMinimumAtTop() {
    const bool vertical = orientation() == Qt::Vertical;
    setInvertedAppearance(vertical);
    setInvertedControls(vertical);
}

void CmySlider::stepVisually(int steps) {
    const int towardsMaximum = invertedAppearance() ? -steps : steps;
    setValue(value() + towardsMaximum * singleStep());
}

QRect CmySlider::trackRect() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    QRect track =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    if (orientation() == Qt::Horizontal && track.height() < kMinimumTrackThickness) {
        const int grow = kMinimumTrackThickness - track.height();
        track.adjust(0, -(grow / 2), 0, grow - grow / 2);
    } else if (orientation() == Qt::Vertical && track.width() < kMinimumTrackThickness) {
        const int grow = kMinimumTrackThickness - track.width();
        track.adjust(-(grow / 2), 0, grow - grow / 2, 0);
    }
    return track.intersected(rect());
}

QRect CmySlider::colourScaleRect() const {
    return trackRect().adjusted(kScaleInset, kScaleInset, -kScaleInset, -kScaleInset);
}

void CmySlider::paintEvent(QPaintEvent* event) {
    if (!CColourScale::hasScale(m_kind)) {
        QSlider::paintEvent(event);
        return;
    }
    // Track first, then the scale over it, then thumb and ticks as the style draws them.
    QStylePainter painter(this);
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_SliderGroove;
    painter.drawComplexControl(QStyle::CC_Slider, option);

    CColourScale::paint(painter, m_kind, colourScaleRect());

    option.subControls = QStyle::SC_SliderHandle;
    if (tickPosition() != NoTicks) {
        option.subControls |= QStyle::SC_SliderTickmarks;
    }
    painter.drawComplexControl(QStyle::CC_Slider, option);
}

void CmySlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_leftButtonDown = true;
    }
    QSlider::mousePressEvent(event);
}

void CmySlider::mouseReleaseEvent(QMouseEvent* event) {
    QSlider::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && m_leftButtonDown) {
        m_leftButtonDown = false;
        emit positionReleased(value());
    }
}
