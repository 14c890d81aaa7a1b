#pragma once

#include <QIcon>
#include <QList>

// The device map's 27 icons, one per node kind (the icon at index n shows kind n): drawn
// glyphs rather than artwork, a filled disc for a device family, a square for a section,
// each with its own colour and letter.
class CMapIcons {
public:
    static constexpr int kSize = 16;

    static QList<QIcon> icons();
    static QIcon icon(int kind);
};
