#pragma once

#include "core/upload/CUploadRun.h"

// The bus device upload: every bus device of the project is asked for all its settings
// ("#uid12=?;", broadcast, so whichever gateway has it on its bus passes it on), checked
// to be of the project's type, and sent the settings that differ ("#UID12.A.LED.MODE=RGB",
// unterminated). Every gateway has a bus of its own, so by default each bus is a lane
// (CBusLanes: the gateway each device was last heard behind) and all buses are uploaded at
// the same time, each device's texts in their order; devices heard behind no gateway come
// after them. Not concurrent: one device after another in the project's order. A device that does
// not answer can be brought on now: the gateways are armed with its UID ("#uid=12;") and the user
// is asked to press its discover button (Yes: wait for it, No: pass it over, Cancel: end the
// upload). Pauses: 700 ms at the start, 3000 ms after the first query, 500 ms after a device
// without TYPE in the project or one passed over, 1000 ms per pass while waiting for a discovered
// device (at most 240 passes), 2000 ms after a repeated query, 1000 ms after each set, 2000
// ms at the end.
class CBusUpload : public CUploadRun {
    Q_OBJECT

public:
    using CUploadRun::CUploadRun;

    static constexpr int kDiscoverPasses = 240;

protected:
    const char* runName() const override { return "bus upload"; }
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
    // Broadcasts the query, then next after the pause (ended once the device reported); it
    // goes again while the report leaves the upload short.
    void query(std::chrono::milliseconds pause, Next next);
    void afterFirstQuery();
    void waitForDiscovered();
    void lookAgain();
    void lastLook();
    void checkType();

    int m_passes = 0;
};
