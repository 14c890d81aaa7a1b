#pragma once

#include <QtGlobal>

// A small seeded generator (splitmix64) whose sequence is the same on every platform, so
// that a fault run with a given seed drops and spoils the same replies everywhere.
class CSimRandom {
public:
    explicit CSimRandom(quint64 seed = 1) : m_state(seed) {}

    quint64 next();
    // Uniform in [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    // Uniform in [0, bound); 0 for a bound of 0.
    quint64 below(quint64 bound) { return bound == 0 ? 0 : next() % bound; }
    // True with the given probability; a share of 0 draws nothing.
    bool chance(double share);

private:
    quint64 m_state;
};
