#pragma once

#include "core/bus/CBusAction.h"
#include "core/bus/CBusTarget.h"

#include <QByteArrayView>
#include <QString>
#include <atomic>
#include <functional>
#include <pugixml.hpp>

class CBusPage;
class CBusTreeModel;
class CSequencer;
class CTransport;
class CUbrixVorelDoc;

// The actions of the bus view, each worked out from what it acts on (CBusTarget), what the
// user typed and the plan as it is: what it sends and where, what it asks first, what it
// changes in the plan, what it waits for and what the user is told (CBusAction). Nothing
// happens here; perform() carries an action out. vorel-cli's address, identify and
// register go through the same actions.
//
// A command that changes the plan is sent first; when the send fails, nothing changes.
class CBusActions {
public:
    // Sends the action's command; false when it did not leave.
    using Send = std::function<bool(const CBusAction& action)>;

    static constexpr const char* kSelectFirst = "Select the serial number or Ubrix first";
    static constexpr const char* kPressDiscovery = "Press Discovery Button on device to set";
    static constexpr const char* kSelectLed = "Select an LED";
    static constexpr const char* kSelectDevice = "Select the device to replace (one with a UID)";
    static constexpr const char* kConfirmDeleteAll =
        "Remove every gateway and device from the map? Nothing is saved until you save the map "
        "file.";
    // "%1" is the UID, "%2" the gateway.
    static constexpr const char* kConfirmDuplicateUid =
        "A device behind %2 already has UID %1. Give it to another device all the same?";
    // The UID field reads at most this many characters.
    static constexpr int kUidFieldLength = 6;
    // The run of the discovery's question, which outlives a view switch in its pause.
    static constexpr const char* kDiscoveryRun = "bus.discover";

    // A click on an item whose page is page: a device without a type is asked for its
    // settings; the other pages are listed or show nothing, and send nothing.
    static CBusAction click(const pugi::xml_document& plan, const CBusPage& page);
    // "Ubrixs": every gateway is asked for its name, and the tree starts again.
    static CBusAction discover();
    // "Devices": the devices of the target's bus announce themselves, of every bus when the
    // target has no gateway.
    static CBusAction registration(const pugi::xml_document& plan, const CBusTarget& target);
    // "Set" with the UID field's text.
    static CBusAction setUid(const pugi::xml_document& plan, const CBusTarget& target,
                             const QString& typed);
    // The UID for the target: a gateway gives it to the next device whose discover button is
    // pressed, a device known by its serial number takes it at once.
    static CBusAction assignUid(const pugi::xml_document& plan, const CBusTarget& target,
                                quint32 uid);
    // What the UID field proposes for the target: the lowest UID free behind its gateway; 0
    // when it has no gateway or every UID is taken.
    static quint32 proposedUid(const pugi::xml_document& plan, const CBusTarget& target);
    // "Collect": refused while the plan knows no bus device.
    static CBusAction collect(const pugi::xml_document& plan);
    // The pop-up menu's Refresh: the root discovers, a gateway registers its bus, a device is
    // taken out of the plan and asked again, so that its answers rebuild it.
    static CBusAction refresh(const pugi::xml_document& plan, const CBusTarget& target);
    // The pop-up menu's Delete: the plan forgets the target (all of it for the root or no
    // selection, once the user said so); nothing is sent.
    static CBusAction remove(const pugi::xml_document& plan, const CBusTarget& target);
    // The pop-up menu's Identify: the gateway or the device blinks.
    static CBusAction identify(const pugi::xml_document& plan, const CBusTarget& target);
    // Refused unless the target is a device with a UID (Replace device...).
    static CBusAction replace(const CBusTarget& target);
    // Refused unless the target is the LED section of a device with a UID (Upload CMS File).
    static CBusAction presets(const CBusTarget& target);

    // What carrying an action out came to: whether its command left, and what to tell.
    struct Outcome {
        bool sent = false;
        QString said;
        QString message;
    };
    // How the commands of actions leave: at once to their destination, or a question to
    // every gateway behind the firewall probe while a firewall is suspected, in the
    // sequencer's run kDiscoveryRun (blocked is called when the probe's answer never came).
    static Send sender(CTransport& transport, CSequencer& sequencer,
                       const std::atomic<bool>& firewallSuspect, std::function<void()> blocked);
    // Sends the action's command and, once it left, changes the plan and the tree. The
    // question, if any, has been answered "Yes".
    static Outcome perform(const CBusAction& action, CUbrixVorelDoc& doc, CBusTreeModel& tree,
                           const Send& send);

    // "every gateway", "Hall North (10.0.0.7)" or "10.0.0.7".
    static QString gatewayName(const pugi::xml_document& plan, quint32 address);
    // "UID 5 behind Hall North (10.0.0.7)"
    static QString deviceName(const pugi::xml_document& plan, const CBusTarget& target);

private:
    static CBusAction refusal(const QString& name, const QString& why);
    static CBusAction toGateway(const pugi::xml_document& plan, const QString& name,
                                QByteArray command, quint32 address);
    static void askAboutTakenUid(const pugi::xml_document& plan, const CBusTarget& gateway,
                                 quint32 uid, CBusAction& action);
    static void change(const CBusAction& action, CUbrixVorelDoc& doc, CBusTreeModel& tree);
};
