#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// Where a setting lives on a device: [port "."] [group "."] key ["." index]. The same
// shape is read from commands and written into replies, so a setting that a device
// reports under one path is set again under that very path.
class CSimPath {
public:
    QByteArray port;   // one letter, or empty
    QByteArray group;  // empty for a setting directly under the device
    QByteArray key;
    QByteArray index;  // decimal, or empty

    // Reads the path of a command; nothing when the text is not a well-formed path. A
    // one-character first component is always the port (so "A" alone names no setting);
    // a trailing number after at least one name is the index; at most a group and a key
    // remain. Names are upper-case letters,
    // digits and "_" and never start with a digit, so that every path we accept is also
    // a path the program can enter into its plan.
    static std::optional<CSimPath> parse(QByteArrayView text);

    // The path as replies carry it, components joined by ".".
    QByteArray text() const;

    bool isEmpty() const { return key.isEmpty(); }
    bool operator==(const CSimPath& other) const = default;
    // The same setting whatever its index.
    bool sameKey(const CSimPath& other) const {
        return port == other.port && group == other.group && key == other.key;
    }
    // Whether this setting answers a query for pattern: port, group and key equal, and
    // the index too unless the pattern names none.
    bool answers(const CSimPath& pattern) const;

    static bool isName(QByteArrayView text);
    static bool isNumber(QByteArrayView text);
};
