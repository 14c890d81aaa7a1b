#include "core/protocol/CRetryRule.h"

#include <QtGlobal>

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The words that make a text an action rather than a value, whatever the setting.
bool isActionWord(QByteArrayView value) {
    for (const char* word : {"RESET", "IDENTIFY", "REGISTER"}) {
        if (value.compare(QByteArrayView(word), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

// The value after the first "=", without the terminator; nothing when there is no "=".
bool valueOf(QByteArrayView text, QByteArrayView& value) {
    const qsizetype equals = text.indexOf('=');
    if (equals < 0) {
        return false;
    }
    value = text.sliced(equals + 1);
    while (!value.isEmpty() &&
           (value.back() == ';' || value.back() == '\r' || value.back() == '\n')) {
        value.chop(1);
    }
    return true;
}

// "#UIDn=?" or "#UIDn.path=value" (either case): a text for one addressed device.
bool isForAddressedDevice(QByteArrayView text) {
    if (text.size() < 5 || text.front() != '#' ||
        text.sliced(1, 3).compare(QByteArrayView("UID"), Qt::CaseInsensitive) != 0) {
        return false;
    }
    qsizetype at = 4;
    while (at < text.size() && isDigit(text[at])) {
        ++at;
    }
    return at > 4 && at < text.size() && (text[at] == '=' || text[at] == '.');
}

}  // namespace

bool CRetryRule::isSafeToRepeat(QByteArrayView text) {
    QByteArrayView value;
    if (!valueOf(text, value) || value.isEmpty() || isActionWord(value)) {
        return false;
    }
    if (text.startsWith('&')) {
        return true;
    }
    // "#UID=n;" arms every bus, "#SNs.UID=n;" gives a UID, "#z.g.n..." drives a keypad's
    // lights or motors: none of them is addressed to a device by its UID.
    return isForAddressedDevice(text);
}

int CRetryRule::repeatsFor(QByteArrayView text, int retries) {
    return isSafeToRepeat(text) ? qBound(0, retries, kMostRetries) : 0;
}
