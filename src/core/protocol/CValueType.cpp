#include "core/protocol/CValueType.h"

#include <QDate>
#include <QRegularExpression>
#include <QStringList>
#include <array>
#include <charconv>
#include <optional>

namespace {

struct Named {
    std::string_view word;
    CValueType::Kind kind;
};

constexpr std::array kNames{
    Named{"IPV4", CValueType::Kind::Ipv4},
    Named{"NETMASK", CValueType::Kind::Netmask},
    Named{"PORT", CValueType::Kind::Port},
    Named{"INT", CValueType::Kind::Integer},
    Named{"DECIMAL", CValueType::Kind::Decimal},
    Named{"LATITUDE", CValueType::Kind::Latitude},
    Named{"LONGITUDE", CValueType::Kind::Longitude},
    Named{"TIME", CValueType::Kind::Time},
    Named{"DATE", CValueType::Kind::Date},
    Named{"ZONE", CValueType::Kind::Zone},
    Named{"MAC", CValueType::Kind::Mac},
    Named{"TEXT", CValueType::Kind::Text},
};

// The degrees of a position: a GPS fix gives six places, about a decimetre.
constexpr int kDegreeDecimals = 6;

double numberOr(std::string_view text, double fallback) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : fallback;
}

// The four parts of a dotted address, or nothing. A part is 1 to 3 digits without a
// leading zero, because some stacks read "010" as octal 8.
std::optional<quint32> dottedAddress(const QString& value) {
    static const QRegularExpression form(
        QStringLiteral("^(0|[1-9][0-9]{0,2})\\.(0|[1-9][0-9]{0,2})\\.(0|[1-9][0-9]{0,2})\\."
                       "(0|[1-9][0-9]{0,2})$"));
    const QRegularExpressionMatch match = form.match(value);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    quint32 address = 0;
    for (int part = 1; part <= 4; ++part) {
        const uint byte = match.captured(part).toUInt();
        if (byte > 255) {
            return std::nullopt;
        }
        address = (address << 8) | byte;
    }
    return address;
}

bool isContiguousMask(quint32 mask) {
    // Ones from the top, then zeros only: the inverted mask plus one is a power of two.
    const quint32 hostPart = ~mask;
    return (hostPart & (hostPart + 1)) == 0;
}

bool isTime(const QString& value) {
    static const QRegularExpression form(
        QStringLiteral("^([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]$"));
    return form.match(value).hasMatch();
}

bool isDate(const QString& value) {
    static const QRegularExpression form(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
    return form.match(value).hasMatch() &&
           QDate::fromString(value, QStringLiteral("yyyy-MM-dd")).isValid();
}

// Offsets in use run from -12:00 to +14:00, in whole, half and quarter hours.
bool isZone(const QString& value) {
    static const QRegularExpression form(
        QStringLiteral("^(-(0[0-9]|1[01]):(00|15|30|45)|\\+(0[0-9]|1[0-3]):(00|15|30|45)|"
                       "\\+14:00|-12:00)$"));
    return form.match(value).hasMatch();
}

bool isMac(const QString& value) {
    static const QRegularExpression form(QStringLiteral("^[0-9A-Fa-f]{2}(:[0-9A-Fa-f]{2}){5}$"));
    return form.match(value).hasMatch();
}

QString plural(int count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

}  // namespace

CValueType CValueType::fromWords(const Words& words) {
    CValueType type;
    for (const Named& named : kNames) {
        if (named.word == words.type) {
            type.m_kind = named.kind;
            type.m_known = true;
        }
    }
    switch (type.m_kind) {
        case Kind::Port:
            type.m_min = 1;
            type.m_max = 65535;
            break;
        case Kind::Latitude:
            type.m_min = -90;
            type.m_max = 90;
            type.m_decimals = kDegreeDecimals;
            break;
        case Kind::Longitude:
            type.m_min = -180;
            type.m_max = 180;
            type.m_decimals = kDegreeDecimals;
            break;
        case Kind::Integer:
        case Kind::Decimal:
        case Kind::Text:
            type.m_min = numberOr(words.min, 0);
            type.m_max = numberOr(words.max, type.m_kind == Kind::Text ? 255 : 0);
            type.m_decimals = static_cast<int>(numberOr(words.decimals, 0));
            type.m_chars =
                QString::fromUtf8(words.chars.data(), static_cast<qsizetype>(words.chars.size()));
            break;
        default:
            break;
    }
    return type;
}

QString CValueType::problem(const QString& value) const {
    switch (m_kind) {
        case Kind::Free:
            return {};
        case Kind::Ipv4:
            return dottedAddress(value) ? QString()
                                        : QStringLiteral(
                                              "is not an IPv4 address (four numbers 0-255, as "
                                              "192.168.1.10)");
        case Kind::Netmask: {
            const std::optional<quint32> mask = dottedAddress(value);
            return mask && isContiguousMask(*mask)
                       ? QString()
                       : QStringLiteral("is not a netmask (contiguous ones, as 255.255.255.0)");
        }
        case Kind::Port:
            return numberProblem(value, QStringLiteral("a port"));
        case Kind::Integer:
            return numberProblem(value, QStringLiteral("a whole number"));
        case Kind::Decimal:
            return numberProblem(value, QStringLiteral("a number"));
        case Kind::Latitude:
            return numberProblem(value, QStringLiteral("a latitude"));
        case Kind::Longitude:
            return numberProblem(value, QStringLiteral("a longitude"));
        case Kind::Time:
            return isTime(value) ? QString()
                                 : QStringLiteral("is not a time (HH:MM:SS, 00:00:00 to 23:59:59)");
        case Kind::Date:
            return isDate(value) ? QString() : QStringLiteral("is not a date (YYYY-MM-DD)");
        case Kind::Zone:
            return isZone(value) ? QString()
                                 : QStringLiteral(
                                       "is not a time zone (+HH:MM or -HH:MM from -12:00 to "
                                       "+14:00, as +01:00)");
        case Kind::Mac:
            return isMac(value) ? QString()
                                : QStringLiteral(
                                      "is not a MAC address (six hex pairs, as 00:1B:C5:00:00:01)");
        case Kind::Text:
            return textProblem(value);
    }
    return {};
}

QString CValueType::rangeText() const {
    // "1-65535" reads well; "-10--10" does not.
    const QString separator = m_min < 0 ? QStringLiteral(" to ") : QStringLiteral("-");
    return QString::number(m_min) + separator + QString::number(m_max);
}

namespace {

// A number as "-?digits(.digits)?": how many digits it has before and after the point;
// nothing for any other text.
struct NumberForm {
    qsizetype whole = 0;
    qsizetype decimals = 0;
    bool negative = false;
};

std::optional<NumberForm> numberForm(const QString& value) {
    NumberForm form;
    form.negative = value.startsWith(QLatin1Char('-'));
    qsizetype at = form.negative ? 1 : 0;
    const auto digits = [&value, &at] {
        const qsizetype start = at;
        while (at < value.size() && value[at] >= QLatin1Char('0') &&
               value[at] <= QLatin1Char('9')) {
            ++at;
        }
        return at - start;
    };
    form.whole = digits();
    if (form.whole < 1) {
        return std::nullopt;
    }
    if (at == value.size()) {
        return form;
    }
    if (value[at++] != QLatin1Char('.')) {
        return std::nullopt;
    }
    form.decimals = digits();
    if (form.decimals < 1 || at != value.size()) {
        return std::nullopt;
    }
    return form;
}

}  // namespace

// A number of the wrong form is "not a port"; one of the right form says what is wrong
// with it: above the highest, below the lowest, or too many decimals. The words are made
// only for a refusal: a comparison of a site checks a million numbers.
QString CValueType::numberProblem(const QString& value, const QString& what) const {
    const std::optional<NumberForm> form = numberForm(value);
    const bool wellFormed = form && (form->decimals == 0 || m_decimals > 0);
    // More digits than a double holds exactly are far outside any range of ours.
    constexpr qsizetype kMostDigits = 15;
    const double number = !wellFormed                 ? 0.0
                          : form->whole > kMostDigits ? (form->negative ? -1e300 : 1e300)
                                                      : value.toDouble();
    if (wellFormed && number >= m_min && number <= m_max && form->decimals <= m_decimals) {
        return {};
    }
    QString allowed = rangeText();
    if (m_decimals > 0) {
        allowed += QStringLiteral(", at most ") + plural(m_decimals, "decimal", "decimals");
    }
    if (!wellFormed) {
        return QStringLiteral("is not %1 (%2)").arg(what, allowed);
    }
    if (number > m_max) {
        return QStringLiteral("is above %1 (%2 %3)").arg(QString::number(m_max), what, allowed);
    }
    if (number < m_min) {
        return QStringLiteral("is below %1 (%2 %3)").arg(QString::number(m_min), what, allowed);
    }
    return QStringLiteral("has more than %1 (%2 %3)")
        .arg(plural(m_decimals, "decimal", "decimals"), what, allowed);
}

bool CValueType::isAllowedCharacter(QChar character) const {
    for (qsizetype i = 0; i < m_chars.size(); ++i) {
        const bool range = i + 2 < m_chars.size() && m_chars[i + 1] == QLatin1Char('-');
        if (range) {
            if (character >= m_chars[i] && character <= m_chars[i + 2]) {
                return true;
            }
            i += 2;
        } else if (character == m_chars[i]) {
            return true;
        }
    }
    return false;
}

QString CValueType::textProblem(const QString& value) const {
    const auto minimum = static_cast<qsizetype>(m_min);
    const auto maximum = static_cast<qsizetype>(m_max);
    bool fits = value.size() >= minimum && value.size() <= maximum;
    if (!m_chars.isEmpty()) {
        for (const QChar character : value) {
            fits = fits && isAllowedCharacter(character);
        }
    }
    if (fits) {
        return {};
    }
    QString allowed = minimum > 0 ? QStringLiteral("%1 to %2 characters").arg(minimum).arg(maximum)
                                  : QStringLiteral("at most ") + plural(static_cast<int>(maximum),
                                                                        "character", "characters");
    if (!m_chars.isEmpty()) {
        allowed += QStringLiteral(" of \"") + m_chars + QLatin1Char('"');
    }
    return QStringLiteral("is not a text (%1)").arg(allowed);
}
