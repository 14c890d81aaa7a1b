#include "core/protocol/CValueValidator.h"

#include <QList>

namespace {

bool isControl(uint code) {
    // C0, DEL and C1: the C1 block is control characters in Latin-1 as well.
    return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

}  // namespace

CValueValidator::Result CValueValidator::check(const QString& value) {
    Result result;
    for (const uint code : value.toUcs4()) {
        if (code == ';') {
            result.refusal = QString::fromLatin1(kSemicolon);
        } else if (code == '?') {
            result.refusal = QString::fromLatin1(kQuestionMark);
        } else if (isControl(code)) {
            result.refusal = QString::fromLatin1(kControl);
        } else if (code > 0xFF) {
            const auto character = static_cast<char32_t>(code);
            result.refusal = QString::fromLatin1(kNotLatin1).arg(QString::fromUcs4(&character, 1));
        }
        if (!result.accepted()) {
            return result;
        }
    }
    result.wire = value.toLatin1();
    return result;
}

CValueValidator::Result CValueValidator::check(const QString& value, const CValueType& type,
                                               const QString& place) {
    return check(value, type, place, value);
}

CValueValidator::Result CValueValidator::check(const QString& value, const CValueType& type,
                                               const QString& place, const QString& shown) {
    Result result = check(value);
    if (!result.accepted()) {
        return result;
    }
    if (const QString problem = type.problem(value); !problem.isEmpty()) {
        result.wire.clear();
        result.refusal = typeRefusal(place, shown, problem);
    }
    return result;
}

QString CValueValidator::typeRefusal(const QString& place, const QString& value,
                                     const QString& problem) {
    const QString shown = value.isEmpty() ? QStringLiteral("an empty value") : value;
    return QStringLiteral("%1: %2 %3").arg(place, shown, problem);
}

QString CValueValidator::busDeviceForm(const QString& value) {
    QString capitals = value;
    for (QChar& character : capitals) {
        character = character.toUpper();
    }
    return capitals;
}

CValueValidator::Result CValueValidator::checkUtf8(std::string_view value) {
    return check(QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
}

CValueValidator::Result CValueValidator::checkUtf8(std::string_view value, const CValueType& type,
                                                   const QString& place) {
    return check(QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())), type,
                 place);
}
