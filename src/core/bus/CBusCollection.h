#pragma once

#include "sequence/CPacing.h"
#include "sequence/CSequenceRun.h"

#include <QByteArrayView>
#include <QString>
#include <chrono>
#include <functional>
#include <pugixml.hpp>

class CUbrixVorelDoc;

// Collecting every setting of every gateway and bus device into the plan, as a sequence of
// steps on the GUI thread: after a short wait each gateway is asked for its settings, then
// each gateway's devices one by one, each query followed by a pause for the answers. The
// gateways are read from the plan when the queries begin, a gateway's devices when its turn
// comes, so the plan is only ever read on the GUI thread between two drains.
//
// Paced by replies, a device's pause ends once its report has come and it has then been
// quiet for kReportQuiet (never later than the full pause); fixed pacing waits every pause
// out. Both send the same texts in the same order.
class CBusCollection {
public:
    using Send = std::function<bool(QByteArrayView text, quint32 address)>;

    static constexpr const char* kRunName = "collect";
    static constexpr const char* kNoDevices =
        "Devices should be discovered prior to collecting information";
    static constexpr std::chrono::milliseconds kStartPause{100};
    static constexpr std::chrono::milliseconds kGatewayPause{2000};
    static constexpr std::chrono::milliseconds kDevicePause{1000};
    static constexpr std::chrono::milliseconds kEndPause{1000};
    static constexpr std::chrono::milliseconds kReportQuiet{100};
    // Progress runs from 0 to kProgressRange for the devices of each gateway in turn.
    static constexpr int kProgressRange = 65536;

    // Whether the plan knows any bus device to collect ("//Network_Configuration//DEVICE").
    static bool hasDevices(const pugi::xml_document& plan);
    // The steps of one collection; send is the transport's (false: the run ends there).
    static CSequenceRun::StepSource steps(const CUbrixVorelDoc& doc, Send send);
    // The pacing a setting names: "fixed", or by replies for anything else.
    static CPacing pacingOf(const QString& setting);
};
