#include "core/sequence/CGatewayReturn.h"

#include "core/document/CUbrixVorelDoc.h"
#include "core/plan/CGatewayName.h"
#include "core/protocol/CCommands.h"
#include "core/transport/CIpv4Address.h"

#include <memory>

int CGatewayReturn::limitSeconds() {
    return static_cast<int>((kPause * (kAttempts + 1)).count() / 1000);
}

bool CGatewayReturn::isBack(const CUbrixVorelDoc& doc, quint32 address) {
    return CGatewayName::name(doc.plan(), address).has_value();
}

CSequenceRun::StepSource CGatewayReturn::steps(const CUbrixVorelDoc& doc, quint32 address,
                                               Send send) {
    auto asked = std::make_shared<int>(-1);
    const QByteArray gateway = CIpv4Address::toDotted(address);
    return [&doc, address, send = std::move(send), asked, gateway]() -> std::optional<CPacedStep> {
        // A gateway answers a question before it goes down: the first pause lets it go.
        if (*asked < 0) {
            *asked = 0;
            return CPacedStep::wait(kPause);
        }
        if (isBack(doc, address) || *asked == kAttempts) {
            return std::nullopt;
        }
        ++*asked;
        return CPacedStep{
            [send, address](CSequenceRun&) { return send(CCommands::gatewayNameQuery(), address); },
            kPause,
            {[gateway](const CEnteredSetting& setting) {
                 return setting.gateway == gateway && setting.isGateway() &&
                        setting.address.key == "NAME";
             },
             std::chrono::milliseconds(0)}};
    };
}
