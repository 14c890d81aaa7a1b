#pragma once

#include "core/protocol/CValueType.h"

#include <QByteArray>
#include <QString>
#include <string_view>

// The one check that every value passes before it goes out in a command: from a property
// list, a project being uploaded, a preset file or the command line. A command is one
// 8-bit text ended by ";", so a value may hold neither ";" nor CR, LF or any other control
// character (each would end the command or start another), nor a character that Latin-1,
// the protocol's 8 bits, cannot carry, nor "?", which a query ends in: the device's echo of
// such a value reads as a query's echo, is never entered, and the value could never be
// confirmed (a name holding it would hide its gateway from every search). Where the schema
// gives the setting a value type, the value must be of that type. Nothing is mended: a
// refused value is not sent.
class CValueValidator {
public:
    static constexpr const char* kSemicolon = "The value may not contain \";\": it ends a command.";
    static constexpr const char* kQuestionMark =
        "The value may not contain \"?\": a reply holding it reads as the echo of a query, "
        "so the device's answer would never be taken.";
    static constexpr const char* kControl =
        "The value may not contain a line break, a tab or another control character.";
    // "%1" is the character.
    static constexpr const char* kNotLatin1 =
        "The value may not contain \"%1\": the devices understand Latin-1 characters only.";

    struct Result {
        QByteArray wire;  // the value as it goes out (Latin-1); empty when refused
        QString refusal;  // why it was refused, in the user's words; empty when accepted

        bool accepted() const { return refusal.isEmpty(); }
    };

    static Result check(const QString& value);
    // The same, then the setting's value type. A refusal of the type names the setting
    // (place, as commands name it), the value and what is allowed:
    // "UDP.LISTEN_PORT: 99999 is above 65535 (a port 1-65535)".
    static Result check(const QString& value, const CValueType& type, const QString& place);
    // The same, the refusal naming the value as shown (a credential's as "(set)").
    static Result check(const QString& value, const CValueType& type, const QString& place,
                        const QString& shown);
    // A bus device takes its values in capitals: every letter becomes its capital, one
    // character for one ("ß" has no single capital and stays), so that what is shown is what
    // goes out. Checked afterwards like any other value.
    static QString busDeviceForm(const QString& value);
    // A value held as UTF-8 (a text of an XML document).
    static Result checkUtf8(std::string_view value);
    static Result checkUtf8(std::string_view value, const CValueType& type, const QString& place);
    // "place: value problem", the text of a refusal by the value type.
    static QString typeRefusal(const QString& place, const QString& value, const QString& problem);
};
