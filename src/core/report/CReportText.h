#pragma once

#include <QByteArray>

// How much of a text the report shows. A setting's value or a device's name is at most 64
// characters; a map file can hold anything (a name of ten million characters made the PDF
// writer shape all of it, 830 MB), so both writers show every text through cut(): the
// report stays the size of its site, never of its longest text.
class CReportText {
public:
    static constexpr qsizetype kLongest = 120;  // characters

    // The UTF-8 text, or its first kLongest - 1 characters and an ellipsis when longer.
    static QByteArray cut(const QByteArray& text);
};
