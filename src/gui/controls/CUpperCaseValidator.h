#pragma once

#include <QValidator>

// Turns every letter that reaches an edit box into its capital, whether typed, pasted or
// dropped. Letters without a single capital (such as the sharp s) stay as they are, so the
// text keeps its length and the cursor its place.
class CUpperCaseValidator : public QValidator {
    Q_OBJECT

public:
    using QValidator::QValidator;

    State validate(QString& input, int& position) const override;
    void fixup(QString& input) const override;

    static QString toUpperCase(const QString& text);
};
