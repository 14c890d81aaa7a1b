#pragma once

#include "core/protocol/CValueType.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

// One row of a property list: a setting's label and value, how its value cell looks and
// how it may be edited. Colours are 0xRRGGBB, so the core needs no GUI types.
struct CPropertyRow {
    enum class Editor { None, Text, Combo };

    static constexpr quint32 kBlack = 0x000000;
    static constexpr quint32 kGrey = 0x808080;
    static constexpr quint32 kDarkRed = 0x800000;
    static constexpr quint32 kWhite = 0xFFFFFF;
    // Behind a value that is not of its setting's type.
    static constexpr quint32 kInvalidBackground = 0xFFD8D8;

    QString label;  // "KEY", or "KEY (index)" for an element with an attribute
    QString value;
    quint32 textRgb = kBlack;
    quint32 backgroundRgb = kWhite;
    Editor editor = Editor::None;
    QStringList options;    // a combo's choices, in the schema's order
    int initialIndex = -1;  // the combo's choice that equals the value
    CValueType valueType;   // what a text editor's value must be
    // Why the value as it stands is not of its type (shown as it is, never changed): the
    // row is marked and says so. Empty when it is, or has no type.
    QString typeProblem;

    bool operator==(const CPropertyRow&) const = default;
};
