#pragma once

#include <QByteArrayView>

// Which command texts may go out again when their answer did not come in time. A site's
// Wi-Fi loses datagrams; a text that asks (a query) or that gives a setting a value has
// the same effect however often it arrives, so it is repeated. A text that does something
// (restart, identify, register, arming a UID or giving a serial number one, a keypad's
// command) would do it twice, or hand a UID to a second device: it never goes again.
//
//   CRetryRule::repeatsFor("#UID5=?;", 2)   // 2
//   CRetryRule::repeatsFor("#uid=5;", 2)    // 0: arms the gateways
class CRetryRule {
public:
    // "[Transport] Retries" and vorel-cli --retries when not given.
    static constexpr int kDefaultRetries = 2;
    static constexpr int kMostRetries = 10;

    static bool isSafeToRepeat(QByteArrayView text);
    // How often the text may go again: retries for a text that is safe to repeat, else 0.
    static int repeatsFor(QByteArrayView text, int retries);
};
