#include "gui/keypads/CSunStrip.h"

#include "core/keypads/CSunColours.h"

#include <QPainter>

CSunStrip::CSunStrip(QWidget* parent) : QWidget(parent) {
    setMinimumWidth(16);
}

QSize CSunStrip::sizeHint() const {
    return {24, CSunColours::kTopLevel + 1};
}

void CSunStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const CSunColours::Table& strip = CSunColours::stripTable();
    for (int index = 0; index <= CSunColours::kTopLevel; ++index) {
        const CSunColours::Band band = CSunColours::band(index, 0, height());
        const CSunColours::Rgb& colour = strip.at(CSunColours::kTopLevel - index);
        painter.fillRect(0, band.top, width(), band.height,
                         QColor(colour.red, colour.green, colour.blue));
    }
}
