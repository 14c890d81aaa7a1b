#pragma once

#include <QString>
#include <string_view>

// What kind of value an "EDIT" setting takes, as the validation schema names it in the
// attributes after the control word: t (the type) and, as the type needs them, min, max,
// decimals and chars. A device that gets a value of the wrong kind may take it anyway and
// lock itself out of the network, so every value is held against its type before it goes.
//
//   IPV4       four numbers 0-255, "192.168.1.10"
//   NETMASK    an IPv4 address whose ones are contiguous, "255.255.255.0"
//   PORT       1-65535
//   INT        a whole number from min to max
//   DECIMAL    a number from min to max with at most decimals places after the point
//   LATITUDE   -90 to 90, at most 6 decimals
//   LONGITUDE  -180 to 180, at most 6 decimals
//   TIME       HH:MM:SS, 24 hours
//   DATE       YYYY-MM-DD, a day of the calendar
//   ZONE       a time zone's offset from UTC, +HH:MM or -HH:MM from -12:00 to +14:00 in
//              quarter hours, "+01:00"
//   MAC        six hex pairs separated by ":", "00:1B:C5:00:00:01"
//   TEXT       min to max characters (min 0 unless given), each of chars when given
//
// chars lists characters and ranges ("A-Z0-9 ._-"): a "-" between two characters makes a
// range, at either end it stands for itself. No t, or a t nobody knows: free text.
class CValueType {
public:
    enum class Kind {
        Free,
        Ipv4,
        Netmask,
        Port,
        Integer,
        Decimal,
        Latitude,
        Longitude,
        Time,
        Date,
        Zone,
        Mac,
        Text
    };

    struct Words {
        std::string_view type;
        std::string_view min;
        std::string_view max;
        std::string_view decimals;
        std::string_view chars;
    };

    CValueType() = default;
    static CValueType fromWords(const Words& words);

    Kind kind() const { return m_kind; }
    // Whether the schema named a type this program knows (free text when it did not).
    bool isKnown() const { return m_known; }

    // Why value is not of this type, as "is not a port (1-65535)" or "is above 65535 (a port
    // 1-65535)"; empty when it is.
    QString problem(const QString& value) const;

    bool operator==(const CValueType&) const = default;

private:
    // what: "a port", "a whole number" ...
    QString numberProblem(const QString& value, const QString& what) const;
    QString textProblem(const QString& value) const;
    QString rangeText() const;
    bool isAllowedCharacter(QChar character) const;

    Kind m_kind = Kind::Free;
    bool m_known = false;
    double m_min = 0;
    double m_max = 0;
    int m_decimals = 0;
    QString m_chars;
};
