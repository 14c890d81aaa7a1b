#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// A keypad command in words, as a script writes it, turned into the very text the virtual
// keypads send for it:
//   ZONE.GROUP.NODE ACTION [NUMBER]        the LED keypad ("2.1.0 on", "2.1.0 recall 3")
//   motor ZONE.GROUP.NODE ACTION [NUMBER]  the motor keypad ("motor 1.1.1 goto 50.25")
//   sun ZONE.GROUP.NODE LEVEL              the sun dialog's colour for a level 0 to 240
// Unlike the keypads' boxes, it reads strictly: an address has three parts of 0 to 255,
// and a number out of its range is an error rather than being clamped.
class CKeypadCommandLine {
public:
    struct Result {
        QByteArray text;  // empty when the words were refused
        QString error;
    };

    static Result build(const QStringList& words);
    // The words each family takes, for the tool's help.
    static QString usage();
};
