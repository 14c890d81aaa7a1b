#include "core/upload/CDeviceOutcome.h"

const char* CDeviceOutcome::statusName(Status status) {
    switch (status) {
        case Status::Compared:
            return "compared";
        case Status::NotFound:
            return "not found";
        case Status::TypeMismatch:
            return "type mismatch";
        case Status::NoTemplateType:
            return "no TYPE in the project";
        case Status::Refused:
            return "refused";
        case Status::PassedOver:
            return "passed over";
        case Status::SendFailed:
            return "send failed";
        case Status::OtherTcpGateway:
            return "TCP connection to another gateway";
        case Status::NotReached:
            return "not reached";
    }
    return "";
}
