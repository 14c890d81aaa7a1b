#pragma once

#include "core/plan/CEnteredSetting.h"

#include <QByteArray>
#include <chrono>
#include <functional>

// What a step of a sequence waits for: which entered settings count as its reply, and
// whether the first one ends the pause or the pause ends once they have stopped coming
// (a device that reports all its settings sends many). A step without one waits its
// whole pause.
struct CAwait {
    using Match = std::function<bool(const CEnteredSetting&)>;

    Match matches;
    // Zero: the first matching setting ends the pause. Above zero: the pause ends once no
    // matching setting came for this long after the first one.
    std::chrono::milliseconds quietWindow{0};
    // Paced by replies, the pause also ends when nothing matching has begun to come within a
    // few of the lane's recent answer times (CAnswerTimes): the question or its answer was
    // lost, and whoever waits asks again sooner than the whole pause. Only for a question
    // that is safe to ask again.
    bool endsOnSilence = false;

    bool isSet() const { return static_cast<bool>(matches); }

    // The gateway at gateway (dotted) echoed path with exactly value: a set command's reply.
    static CAwait echo(QByteArray gateway, QByteArray path, QByteArray value);
    // The gateway's own settings, until they have been quiet for quiet.
    static CAwait gatewayReports(QByteArray gateway, std::chrono::milliseconds quiet);
    // The settings of bus device UID uid behind the gateway, until quiet for quiet.
    static CAwait deviceReports(QByteArray gateway, QByteArray uid,
                                std::chrono::milliseconds quiet);
};
