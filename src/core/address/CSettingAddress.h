#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// Where a setting lives on a gateway or bus device: [port "."] [group "."] key ["." index].
// Replies and commands name it by that text; the plan holds it as PORT[@P] / group / key[@A].
// The parts are bytes as their holder keeps them (wire bytes from a reply, UTF-8 from a
// project): the address neither converts nor checks them, except where a parse says so.
class CSettingAddress {
public:
    QByteArray port;   // one letter, or empty
    QByteArray group;  // a group (a gateway's section), or empty
    QByteArray key;
    QByteArray index;  // a group member's number, or empty

    // The path of a reply, read as the program reads every path: empty components are
    // skipped; a first component of exactly one character is always the port; of the rest,
    // the first word is the group when a key follows it, the component after the key is
    // the index, and any later ones are ignored. Nothing when no key is left ("A" alone).
    static std::optional<CSettingAddress> parse(QByteArrayView text);
    // The path of a command, read as a device reads it, which refuses what the grammar does
    // not allow: a port is one upper-case letter, a group and a key are names (isName), and
    // a trailing number (isNumber) after at least one name is the index, so "KEY.1" is key
    // KEY with index 1. Nothing for an empty component or more than a group and a key.
    static std::optional<CSettingAddress> parseWellFormed(QByteArrayView text);

    // Upper-case letters, digits and "_", not starting with a digit.
    static bool isName(QByteArrayView text);
    // One to nine decimal digits.
    static bool isNumber(QByteArrayView text);

    // "A.SERIAL.TYPE", "TELNET.LOGIN.2": the path as replies and commands carry it. The
    // empty parts are left out.
    QByteArray text() const;
    // The same text appended to out (a report of a million rows makes no text per row).
    void appendText(QByteArray& out) const;
    // "/PORT[@P='A']/LED/PRESET[@A='3']": the plan's elements below the device element, as
    // the bus upload names them. The parts are written as they are, not quoted.
    QByteArray planPath() const;

    // No key: the whole device, as a query for every setting names it.
    bool isEmpty() const { return key.isEmpty(); }
    // The same setting whatever its index.
    bool sameKey(const CSettingAddress& other) const {
        return port == other.port && group == other.group && key == other.key;
    }
    // Whether this setting answers a query for pattern: port, group and key equal, and the
    // index too unless the pattern names none.
    bool answers(const CSettingAddress& pattern) const {
        return sameKey(pattern) && (pattern.index.isEmpty() || pattern.index == index);
    }

    bool operator==(const CSettingAddress& other) const = default;
    bool operator<(const CSettingAddress& other) const;
};
