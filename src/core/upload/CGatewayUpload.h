#pragma once

#include "core/upload/CUploadRun.h"

// The gateway upload: every gateway of the project is asked for all its settings ("&=?"),
// checked to be of the project's type, and sent the settings that differ
// ("&NETWORK.DHCP=ENABLE", unterminated), its connection settings last. Each gateway's
// texts go to it alone, so by default every gateway is a lane of its own and all are
// uploaded at the same time, each in that order. Pauses: 700 ms at the start, 3000 ms
// after each query, 500 ms after a gateway without TYPE in the project or one that did not
// answer, 100 ms after each set, 2000 ms at the end.
class CGatewayUpload : public CUploadRun {
    Q_OBJECT

public:
    using CUploadRun::CUploadRun;

protected:
    const char* runName() const override { return "gateway upload"; }
    std::vector<CUploadDevice> devicesOf(const pugi::xml_document& project) const override;
    CUploadLanes lanesFor(const std::vector<CUploadDevice>& devices) const override;
    QString progressName(const CUploadDevice& device) const override;
    void beginDevice() override;
    bool isReportOf(const CEnteredSetting& setting, size_t device) const override;
    void afterSendFailure() override;
    void queryAgainThen(Next next) override;
    QByteArray settingQuery(const CSettingAddress& place) const override;
    quint32 destination() const override;
    std::chrono::milliseconds oneSettingPause() const override;

private:
    void afterQuery();
    QByteArray dotted() const;
};
