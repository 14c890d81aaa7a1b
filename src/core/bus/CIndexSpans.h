#pragma once

#include "core/address/CSettingAddress.h"

#include <map>
#include <set>
#include <string>
#include <utility>

// How far each indexed key of a device type reached in the reports of one collection
// (a light's presets 1 to 4, a keypad's keys 1 to 8). A report whose highest index of a
// key stays below that may have lost its last replies on every port at once, which
// nothing in the report itself shows: it is worth asking again.
class CIndexSpans {
public:
    using Addresses = std::set<CSettingAddress>;

    void learn(const std::string& type, const Addresses& reported);
    // Whether a key of the type reached further elsewhere than in these reports.
    bool fallsShort(const std::string& type, const Addresses& received,
                    const Addresses& earlier) const;

private:
    using Key = std::pair<QByteArray, QByteArray>;  // group, key
    using Spans = std::map<Key, int>;

    static void widen(Spans& spans, const Addresses& reported);

    std::map<std::string, Spans> m_spansOf;
};
