#include "CMapIcons.h"

#include "project/CMapKeywords.h"

#include <QPainter>
#include <QPixmap>
#include <array>

namespace {

enum class Shape { Network, Device, Section };

struct Glyph {
    Shape shape;
    QRgb colour;
    char letter;
};

// By kind: 0 root, 1 a device of no known family, 3 to 8 device families, 9 and above
// sections (12 a port); 2, 17 and 23 are no keyword's kind.
constexpr std::array<Glyph, CMapKeywords::kKinds> kGlyphs{{
    {Shape::Network, 0x3060a0, 'N'}, {Shape::Device, 0x707070, '?'},
    {Shape::Device, 0x707070, ' '},  {Shape::Device, 0x8040a0, 'V'},
    {Shape::Device, 0x2080c0, 'M'},  {Shape::Device, 0x209060, 'T'},
    {Shape::Device, 0xd08020, 'L'},  {Shape::Device, 0xa03030, 'R'},
    {Shape::Device, 0x606000, 'F'},  {Shape::Section, 0x803060, 'I'},
    {Shape::Section, 0xd0a000, 'L'}, {Shape::Section, 0xc06000, 'P'},
    {Shape::Section, 0x404040, 'P'}, {Shape::Section, 0x2070b0, 'M'},
    {Shape::Section, 0x70a030, 'V'}, {Shape::Section, 0x305090, 'B'},
    {Shape::Section, 0x806040, 'K'}, {Shape::Section, 0x909090, ' '},
    {Shape::Section, 0xb04040, 'V'}, {Shape::Section, 0x4090a0, 'X'},
    {Shape::Section, 0x906030, 'R'}, {Shape::Section, 0x3060a0, 'N'},
    {Shape::Section, 0x508050, 'U'}, {Shape::Section, 0x909090, ' '},
    {Shape::Section, 0x605090, 'T'}, {Shape::Section, 0xa07020, 'L'},
    {Shape::Section, 0x407070, 'S'},
}};

QPixmap draw(const Glyph& glyph) {
    QPixmap pixmap(CMapIcons::kSize, CMapIcons::kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgb(glyph.colour));
    const QRectF frame(1, 1, CMapIcons::kSize - 2, CMapIcons::kSize - 2);
    switch (glyph.shape) {
        case Shape::Network:
            painter.drawRoundedRect(frame, 2, 2);
            painter.setPen(QPen(Qt::white, 1.5));
            painter.drawLine(QPointF(4, 11), QPointF(12, 11));
            painter.drawLine(QPointF(8, 4), QPointF(8, 11));
            return pixmap;
        case Shape::Device:
            painter.drawEllipse(frame);
            break;
        case Shape::Section:
            painter.drawRect(frame.adjusted(1, 1, -1, -1));
            break;
    }
    QFont font = painter.font();
    font.setPixelSize(10);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(frame, Qt::AlignCenter, QString(QLatin1Char(glyph.letter)));
    return pixmap;
}

}  // namespace

QList<QIcon> CMapIcons::icons() {
    QList<QIcon> all;
    for (const Glyph& glyph : kGlyphs) {
        all.append(QIcon(draw(glyph)));
    }
    return all;
}

QIcon CMapIcons::icon(int kind) {
    if (kind < 0 || kind >= CMapKeywords::kKinds) {
        kind = CMapKeywords::kRoot;
    }
    return QIcon(draw(kGlyphs[static_cast<size_t>(kind)]));
}
