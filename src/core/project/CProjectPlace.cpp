#include "CProjectPlace.h"

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
