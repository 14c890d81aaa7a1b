#pragma once

#include "core/bus/CCollectionSummary.h"
#include "core/protocol/CRetryRule.h"
#include "core/sequence/CPacing.h"
#include "core/sequence/CSequenceRun.h"

#include <QByteArrayView>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <pugixml.hpp>
#include <vector>

class CUbrixVorelDoc;

// Collecting every setting of every gateway and bus device into the plan, as steps on the
// GUI thread: after a short wait each gateway is asked for its settings ("&=?;"), then each
// of its devices one by one ("#UIDn=?;"), each query sent to that gateway and followed by a
// pause for the answers. Every gateway has a bus of its own, so by default each gateway is
// a lane of the run and all buses are collected at the same time, each in that order;
// one after another, one lane asks every gateway first and then their devices. The
// gateways are read from the plan when the collection starts, a gateway's devices when
// its turn comes, so the plan is only ever read on the GUI thread between two drains.
//
// A report is complete when it holds what CAnswerCheck expects; one that is not (a reply
// was lost) is asked again, at most retries times, and what is still missing after the
// last try goes into the collection's report and the run's end message.
//
// Paced by replies, a pause ends once the report has come and been quiet for kReportQuiet
// (never later than the full pause); fixed pacing waits every pause out. Both send the same
// texts in the same order (the repeats aside), and nothing is repeated when nothing is lost.
class CBusCollection {
public:
    using Send = std::function<bool(QByteArrayView text, quint32 address)>;

    struct Options {
        bool concurrent = true;  // every gateway's bus at the same time
        int retries = CRetryRule::kDefaultRetries;
        // Whether devices may still come into the plan while the collection runs (a roll
        // call beside it): a lane waits until they no longer may, then asks the devices its
        // gateways gained meanwhile before it ends. Empty: none come.
        std::function<bool()> devicesMayCome;
    };

    static constexpr const char* kRunName = "collect";
    static constexpr const char* kNoDevices =
        "Devices should be discovered prior to collecting information";
    static constexpr std::chrono::milliseconds kStartPause{100};
    static constexpr std::chrono::milliseconds kGatewayPause{2000};
    static constexpr std::chrono::milliseconds kDevicePause{1000};
    static constexpr std::chrono::milliseconds kEndPause{1000};
    static constexpr std::chrono::milliseconds kReportQuiet{100};
    // How often a lane at its end looks whether devices may still come.
    static constexpr std::chrono::milliseconds kDevicesMayComeLook{50};
    // Progress runs from 0 to kProgressRange over the devices of the whole site.
    static constexpr int kProgressRange = 65536;

    // Whether the plan knows any bus device to collect ("//Network_Configuration//DEVICE").
    static bool hasDevices(const pugi::xml_document& plan);
    // The lanes of one collection, for CSequencer::start(); send is the transport's
    // (false: the run ends there). report, when given, is filled as the collection goes.
    static std::vector<CSequenceRun::StepSource> lanes(
        const CUbrixVorelDoc& doc, Send send, Options options,
        std::shared_ptr<CCollectionSummary> report = {});
    // The pacing a setting names: "fixed", or by replies for anything else.
    static CPacing pacingOf(const QString& setting);
};
