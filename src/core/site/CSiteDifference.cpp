#include "core/site/CSiteDifference.h"

const char* CSiteDifference::kindName(Kind kind) {
    switch (kind) {
        case Kind::Added:
            return "added";
        case Kind::Removed:
            return "removed";
        case Kind::Readdressed:
            return "readdressed";
        case Kind::Replaced:
            return "replaced";
        case Kind::Moved:
            return "moved";
        case Kind::Silent:
            return "silent";
        case Kind::Type:
            return "type";
        case Kind::Firmware:
            return "firmware";
        case Kind::Setting:
            return "setting";
    }
    return "";
}
