#include "sim/CSimRandom.h"

quint64 CSimRandom::next() {
    m_state += 0x9E3779B97F4A7C15ull;
    quint64 z = m_state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

bool CSimRandom::chance(double share) {
    if (share <= 0.0) {
        return false;
    }
    return share >= 1.0 || unit() < share;
}
