#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <optional>

// How long a lane's answers took lately, and from that how long silence after a question
// means that the question or its answer was lost. On one bus the answers take much the
// same time (the bus's own delay plus the first setting's), so a pause that waits twenty
// times that for a datagram that will never come only slows the lane down: paced by
// replies, the lane asks again once nothing has begun to come for a few answer times.
//
//   times.record(52ms); times.record(48ms); times.record(50ms);
//   times.silenceLimit(1000ms);   // 156 ms: three times the slowest recent answer
//   times.silenceLimit(150ms);    // nothing: the pause is shorter anyway
class CAnswerTimes {
public:
    // Answers measured before the lane trusts what it measured.
    static constexpr size_t kFewestAnswers = 3;
    // The slowest of the recent answers, times this, is the limit ...
    static constexpr int kMargin = 3;
    // ... but never less than this (a site whose answers come at once still has a scheduler).
    static constexpr std::chrono::milliseconds kShortestLimit{100};

    void record(std::chrono::milliseconds answerTime);
    // How long a pause of that length waits for the first sign of an answer; nothing when
    // too few answers were measured or the pause is no longer than the limit.
    std::optional<std::chrono::milliseconds> silenceLimit(std::chrono::milliseconds pause) const;

private:
    std::array<std::chrono::milliseconds, 8> m_recent{};
    size_t m_count = 0;
};
