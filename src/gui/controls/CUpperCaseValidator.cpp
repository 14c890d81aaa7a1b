#include "gui/controls/CUpperCaseValidator.h"

#include "core/protocol/CValueValidator.h"

QValidator::State CUpperCaseValidator::validate(QString& input, int& position) const {
    Q_UNUSED(position);
    input = toUpperCase(input);
    return Acceptable;
}

void CUpperCaseValidator::fixup(QString& input) const {
    input = toUpperCase(input);
}

QString CUpperCaseValidator::toUpperCase(const QString& text) {
    return CValueValidator::busDeviceForm(text);
}
