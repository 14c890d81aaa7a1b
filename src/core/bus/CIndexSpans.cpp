#include "core/bus/CIndexSpans.h"

#include <algorithm>

void CIndexSpans::widen(Spans& spans, const Addresses& reported) {
    for (const CSettingAddress& address : reported) {
        bool number = false;
        const int index = address.index.toInt(&number);
        if (number) {
            int& highest = spans[{address.group, address.key}];
            highest = std::max(highest, index);
        }
    }
}

void CIndexSpans::learn(const std::string& type, const Addresses& reported) {
    if (!type.empty()) {
        widen(m_spansOf[type], reported);
    }
}

bool CIndexSpans::fallsShort(const std::string& type, const Addresses& received,
                             const Addresses& earlier) const {
    const auto learned = m_spansOf.find(type);
    if (learned == m_spansOf.end()) {
        return false;
    }
    Spans own;
    widen(own, received);
    widen(own, earlier);
    return std::any_of(learned->second.begin(), learned->second.end(), [&own](const auto& span) {
        const auto found = own.find(span.first);
        return found != own.end() && found->second < span.second;
    });
}
