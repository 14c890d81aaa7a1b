#include "core/project/CProjectPlace.h"

CProjectPlace CProjectPlace::holding(const CProjectDevice& device, const CSettingAddress& address) {
    CProjectPlace place{device, {}};
    if (!address.port.isEmpty()) {
        place.steps.push_back({"PORT", "P", address.port.toStdString()});
    }
    if (!address.group.isEmpty()) {
        place.steps.push_back({address.group.toStdString(), {}, {}});
    }
    return place;
}

std::string CProjectPlace::port() const {
    for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
        if (step->isPort()) {
            return step->value;
        }
    }
    return {};
}

std::string CProjectPlace::group() const {
    if (steps.empty() || steps.back().isPort()) {
        return {};
    }
    return steps.back().name;
}
