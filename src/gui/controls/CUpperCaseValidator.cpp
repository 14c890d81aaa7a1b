#include "CUpperCaseValidator.h"

QValidator::State CUpperCaseValidator::validate(QString& input, int& position) const {
    Q_UNUSED(position);
    input = toUpperCase(input);
    return Acceptable;
}

void CUpperCaseValidator::fixup(QString& input) const {
    input = toUpperCase(input);
}

QString CUpperCaseValidator::toUpperCase(const QString& text) {
    QString result = text;
    for (QChar& character : result) {
        // QChar::toUpper maps one code unit to one, unlike QString::toUpper ("ß" -> "SS").
        character = character.toUpper();
    }
    return result;
}
