#include "gui/controls/CColourScale.h"

#include <QLinearGradient>
#include <QPainter>

bool CColourScale::hasScale(int kind) {
    return !colours(kind).isEmpty();
}

QList<QColor> CColourScale::colours(int kind) {
    switch (kind) {
        case 1:  // RED
            return {QColor(255, 0, 0)};
        case 2:  // GREEN
            return {QColor(0, 255, 0)};
        case 3:  // BLUE
            return {QColor(0, 0, 255)};
        case 4:  // FADE
            return {QColor(0, 0, 0), QColor(255, 255, 255)};
        case 5:  // HUE: once round the colour wheel
            return {QColor(255, 0, 0), QColor(255, 255, 0), QColor(0, 255, 0), QColor(0, 255, 255),
                    QColor(0, 0, 255), QColor(255, 0, 255), QColor(255, 0, 0)};
        case 6:  // SATURATION
            return {QColor(255, 255, 255), QColor(192, 0, 0)};
        case 7:  // SUN: night, dawn, sunrise, morning, noon
            return {QColor(0, 0, 80),     QColor(111, 11, 192), QColor(202, 44, 84),
                    QColor(228, 116, 33), QColor(239, 189, 44), QColor(247, 235, 132),
                    QColor(255, 255, 255)};
        case 8:  // CCT: warm to cold white
            return {QColor(228, 116, 33), QColor(208, 255, 255)};
        case 9:  // WHITE
            return {QColor(255, 255, 255)};
        default:
            return {};
    }
}

QList<CColourScale::Segment> CColourScale::segments(int kind, const QRect& area) {
    const QList<QColor> scale = colours(kind);
    if (scale.isEmpty() || area.isEmpty()) {
        return {};
    }
    if (scale.size() == 1) {
        return {Segment{area, scale.first(), scale.first()}};
    }
    const int count = static_cast<int>(scale.size()) - 1;
    const int share = area.width() / count;
    const int rightEdge = area.left() + area.width();  // one past the last column
    QList<Segment> result;
    for (int index = 0; index < count; ++index) {
        const int left = area.left() + index * share;
        const int right = index + 1 == count ? rightEdge : left + share;
        const QRect rect(left, area.top(), right - left, area.height());
        result.append(Segment{rect, scale.at(index), scale.at(index + 1)});
    }
    return result;
}

void CColourScale::paint(QPainter& painter, int kind, const QRect& area) {
    for (const Segment& segment : segments(kind, area)) {
        if (segment.from == segment.to) {
            painter.fillRect(segment.rect, segment.from);
            continue;
        }
        // The gradient's ends sit on the outer edges of the first and last column, so
        // the first column shows the start colour and the last nearly the end colour.
        QLinearGradient gradient(segment.rect.left(), 0, segment.rect.left() + segment.rect.width(),
                                 0);
        gradient.setColorAt(0.0, segment.from);
        gradient.setColorAt(1.0, segment.to);
        painter.fillRect(segment.rect, gradient);
    }
}
