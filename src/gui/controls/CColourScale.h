#pragma once

#include <QColor>
#include <QList>
#include <QRect>

class QPainter;

// The colour scales that the keypad sliders paint on their tracks, one per slider kind
// (1 to 9). A scale is a list of colours; between each neighbouring pair runs a horizontal
// gradient over an equal share of the width, the last share reaching the right edge.
class CColourScale {
public:
    struct Segment {
        QRect rect;
        QColor from;
        QColor to;
    };

    static bool hasScale(int kind);
    // The colours of a kind's scale, left to right; empty for a kind without a scale.
    static QList<QColor> colours(int kind);
    // How a kind's scale divides the area; one segment of a single colour for the solid ones.
    static QList<Segment> segments(int kind, const QRect& area);
    static void paint(QPainter& painter, int kind, const QRect& area);
};
