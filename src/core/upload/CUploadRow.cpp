#include "core/upload/CUploadRow.h"

#include "core/plan/CSecretRule.h"

const char* CUploadRow::outcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::Match:
            return "match";
        case Outcome::Differs:
            return "differs";
        case Outcome::NotReported:
            return "not reported";
        case Outcome::EmptyValue:
            return "empty";
        case Outcome::NotInSchema:
            return "not in the schema";
        case Outcome::NotAnOption:
            return "not an option";
        case Outcome::ReadOnly:
            return "read-only";
        case Outcome::UnsafeValue:
            return "unsafe value";
        case Outcome::InvalidValue:
            return "invalid value";
    }
    return "";
}

QByteArray CUploadRow::placeText() const {
    return setting.address.text();
}

void CUploadRow::hideSecret() {
    if (!secret) {
        return;
    }
    setting.value = CSecretRule::masked(setting.value.empty());
    if (reported) {
        reported = CSecretRule::masked(reported->empty());
    }
    if (isSent()) {
        command = CSecretRule::maskedCommand(command);
        wireValue = CSecretRule::masked(wireValue.isEmpty());
    }
    if (delivery == Delivery::AnsweredOther) {
        answered = CSecretRule::masked(answered.isEmpty());
    }
}
