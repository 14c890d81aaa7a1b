#include "core/bus/CBusActions.h"

#include "core/bus/CBusCollection.h"
#include "core/bus/CBusPage.h"
#include "core/bus/CBusPlan.h"
#include "core/bus/CBusTreeModel.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/plan/CGatewayName.h"
#include "core/protocol/CCommands.h"
#include "core/sequence/CBroadcastQuery.h"
#include "core/transport/CIpv4Address.h"
#include "core/transport/CTransport.h"

namespace {

const QString kSet = QStringLiteral("Set");
const QString kRefresh = QStringLiteral("Refresh");
const QString kDelete = QStringLiteral("Delete");
const QString kIdentify = QStringLiteral("Identify");
const QString kNothingSelected = QStringLiteral("nothing is selected.");
const QString kEveryGateway = QStringLiteral("every gateway");

}  // namespace

CBusAction CBusActions::click(const pugi::xml_document& plan, const CBusPage& page) {
    if (page.action != CBusPage::Action::QueryDevice) {
        return {};
    }
    CBusAction action =
        toGateway(plan, QString(), CCommands::busDeviceQuery(page.uid), page.gatewayAddress);
    action.said =
        QStringLiteral("Asked UID %1 behind %2 for its settings.").arg(page.uid).arg(action.to);
    return action;
}

CBusAction CBusActions::discover() {
    CBusAction action;
    action.name = QStringLiteral("Discovery");
    action.command = CCommands::gatewayNameQuery();
    action.destination = CIpv4Address::kBroadcast;
    action.to = kEveryGateway;
    action.probeFirst = true;
    action.said = QStringLiteral("Discovery: asked every gateway for its name (%1 to all).")
                      .arg(QString::fromLatin1(action.command));
    action.change = CBusAction::Change::ForgetTree;
    return action;
}

CBusAction CBusActions::registration(const pugi::xml_document& plan, const CBusTarget& target) {
    return toGateway(plan, QStringLiteral("Register"), CCommands::busRegister(),
                     target.hasGateway() ? target.gatewayAddress : CIpv4Address::kBroadcast);
}

CBusAction CBusActions::setUid(const pugi::xml_document& plan, const CBusTarget& target,
                               const QString& typed) {
    const QString text = typed.left(kUidFieldLength);
    bool number = false;
    const uint uid = text.toUInt(&number);
    if (!number || uid < 1 || uid > CBusPlan::kMaxUid) {
        return refusal(kSet, QStringLiteral("\"%1\" is not a UID (a number from 1 to %2).")
                                 .arg(text)
                                 .arg(CBusPlan::kMaxUid));
    }
    return assignUid(plan, target, uid);
}

CBusAction CBusActions::assignUid(const pugi::xml_document& plan, const CBusTarget& target,
                                  quint32 uid) {
    const auto uidNumber = static_cast<int>(uid);
    switch (target.kind) {
        case CBusTarget::Kind::Nothing: {
            CBusAction refused = refusal(kSet, kNothingSelected);
            refused.message = QString::fromLatin1(kSelectFirst);
            return refused;
        }
        case CBusTarget::Kind::Root:
            return refusal(kSet, QStringLiteral("the root is selected: select a gateway or a "
                                                "device known by its serial number."));
        case CBusTarget::Kind::Gateway: {
            CBusAction action =
                toGateway(plan, kSet, CCommands::busAssignNext(uidNumber), target.gatewayAddress);
            askAboutTakenUid(plan, target, uid, action);
            action.message = QString::fromLatin1(kPressDiscovery);
            const bool everyBus = target.gatewayAddress == CIpv4Address::kBroadcast;
            action.awaited = {everyBus ? QByteArray() : target.gatewayText, "UID", uid};
            return action;
        }
        case CBusTarget::Kind::Device:
        case CBusTarget::Kind::Section:
            break;
    }
    if (target.kind != CBusTarget::Kind::Device || !target.isSerialDevice()) {
        return refusal(kSet, QStringLiteral("%1 is addressed already: select a gateway or a "
                                            "device known by its serial number.")
                                 .arg(deviceName(plan, target)));
    }
    CBusAction action =
        toGateway(plan, kSet, CCommands::busAssignSerial(target.deviceNumber, uidNumber),
                  target.gatewayAddress);
    askAboutTakenUid(plan, target, uid, action);
    // The device is out of the plan until it answers under its new UID.
    action.change = CBusAction::Change::RemoveSerialDevice;
    action.changed = target;
    action.awaited = {target.gatewayText, "UID", uid, true};
    action.proposedUid = CBusPlan::lowestFreeUid(plan, target.gatewayText, {uid});
    return action;
}

void CBusActions::askAboutTakenUid(const pugi::xml_document& plan, const CBusTarget& gateway,
                                   quint32 uid, CBusAction& action) {
    if (!CBusPlan::hasUid(plan, gateway.gatewayText, uid)) {
        return;
    }
    action.question = QString::fromLatin1(kConfirmDuplicateUid)
                          .arg(uid)
                          .arg(QString::fromLatin1(gateway.gatewayText));
    action.enterAnswersNo = true;
    action.declined =
        QStringLiteral("Set: nothing sent, UID %1 is taken behind %2.").arg(uid).arg(action.to);
}

quint32 CBusActions::proposedUid(const pugi::xml_document& plan, const CBusTarget& target) {
    return target.hasGateway() ? CBusPlan::lowestFreeUid(plan, target.gatewayText) : 0;
}

CBusAction CBusActions::collect(const pugi::xml_document& plan) {
    if (!CBusCollection::hasDevices(plan)) {
        CBusAction refused = refusal(QStringLiteral("Collect"),
                                     QStringLiteral("no bus devices are known yet (Devices, or "
                                                    "Refresh on a gateway, finds them)."));
        refused.message = QString::fromLatin1(CBusCollection::kNoDevices);
        return refused;
    }
    CBusAction action;
    action.said =
        QStringLiteral("Collect: asking every gateway and each of its devices for their settings.");
    return action;
}

CBusAction CBusActions::refresh(const pugi::xml_document& plan, const CBusTarget& target) {
    switch (target.kind) {
        case CBusTarget::Kind::Nothing:
            return refusal(kRefresh, kNothingSelected);
        case CBusTarget::Kind::Root:
            return discover();
        case CBusTarget::Kind::Gateway:
            return toGateway(plan, kRefresh, CCommands::busRegister(), target.gatewayAddress);
        case CBusTarget::Kind::Device:
        case CBusTarget::Kind::Section:
            break;
    }
    // A device known by its serial number is asked to announce itself again; one with a
    // UID for all its settings. Its answers rebuild it, so it goes once the question left.
    CBusAction action =
        toGateway(plan, kRefresh,
                  target.isSerialDevice() ? CCommands::busRegister()
                                          : CCommands::busDeviceQuery(target.deviceNumber),
                  target.gatewayAddress);
    action.change = CBusAction::Change::RemoveDevice;
    action.changed = target;
    action.awaited = {target.gatewayText, target.deviceAttribute, target.deviceNumber, true};
    return action;
}

CBusAction CBusActions::remove(const pugi::xml_document& plan, const CBusTarget& target) {
    CBusAction action;
    action.name = kDelete;
    action.changed = target;
    switch (target.kind) {
        case CBusTarget::Kind::Nothing:
        case CBusTarget::Kind::Root:
            // Nothing is saved automatically: emptying the whole map is asked first.
            action.question = QString::fromLatin1(kConfirmDeleteAll);
            action.declined = QStringLiteral("Delete: the map is kept.");
            action.change = CBusAction::Change::RemoveAll;
            action.said =
                QStringLiteral("Delete: every gateway and device left the map; nothing was sent.");
            break;
        case CBusTarget::Kind::Gateway:
            action.change = CBusAction::Change::RemoveGateway;
            action.said = QStringLiteral(
                              "Delete: %1 left the map with its devices; nothing was "
                              "sent.")
                              .arg(gatewayName(plan, target.gatewayAddress));
            break;
        case CBusTarget::Kind::Device:
        case CBusTarget::Kind::Section:
            action.change = CBusAction::Change::RemoveDevice;
            action.said = QStringLiteral("Delete: %1 left the map; nothing was sent.")
                              .arg(deviceName(plan, target));
            break;
    }
    return action;
}

CBusAction CBusActions::identify(const pugi::xml_document& plan, const CBusTarget& target) {
    switch (target.kind) {
        case CBusTarget::Kind::Nothing:
            return refusal(kIdentify, kNothingSelected);
        case CBusTarget::Kind::Root:
            return refusal(kIdentify,
                           QStringLiteral("the root is selected: select a gateway or a device."));
        case CBusTarget::Kind::Gateway:
            return toGateway(plan, kIdentify, CCommands::gatewayIdentify(), target.gatewayAddress);
        case CBusTarget::Kind::Device:
        case CBusTarget::Kind::Section:
            break;
    }
    return toGateway(plan, kIdentify,
                     target.isSerialDevice() ? CCommands::busIdentifySerial(target.deviceNumber)
                                             : CCommands::busIdentifyUid(target.deviceNumber),
                     target.gatewayAddress);
}

CBusAction CBusActions::replace(const CBusTarget& target) {
    CBusAction action;
    if (!target.hasDevice() || target.isSerialDevice()) {
        action.refused = true;
        action.message = QString::fromLatin1(kSelectDevice);
    }
    return action;
}

CBusAction CBusActions::presets(const CBusTarget& target) {
    if (!target.ledSection || target.isSerialDevice()) {
        CBusAction refused = refusal(QStringLiteral("Upload CMS File"),
                                     QStringLiteral("select the LED section of a device with a "
                                                    "UID."));
        refused.message = QString::fromLatin1(kSelectLed);
        return refused;
    }
    return {};
}

CBusActions::Send CBusActions::sender(CTransport& transport, CSequencer& sequencer,
                                      const std::atomic<bool>& firewallSuspect,
                                      std::function<void()> blocked) {
    return [&transport, &sequencer, &firewallSuspect,
            blocked = std::move(blocked)](const CBusAction& action) {
        if (!action.probeFirst) {
            return transport.SendText(action.command, action.destination);
        }
        // The run belongs to the sequencer: a view switch in the pause after the probe
        // does not lose the question.
        CBroadcastQuery::start(sequencer, QString::fromLatin1(kDiscoveryRun), transport,
                               firewallSuspect, action.command, blocked);
        return true;
    };
}

CBusActions::Outcome CBusActions::perform(const CBusAction& action, CUbrixVorelDoc& doc,
                                          CBusTreeModel& tree, const Send& send) {
    if (action.refused) {
        return {false, action.said, action.message};
    }
    const bool hasCommand = !action.command.isEmpty();
    const bool sent = !hasCommand || send(action);
    if (sent) {
        change(action, doc, tree);
    }
    const QString said = action.said.isEmpty() && hasCommand ? action.sentLine(sent) : action.said;
    return {sent, said, sent ? action.message : QString()};
}

void CBusActions::change(const CBusAction& action, CUbrixVorelDoc& doc, CBusTreeModel& tree) {
    const CBusTarget& target = action.changed;
    switch (action.change) {
        case CBusAction::Change::None:
            break;
        case CBusAction::Change::ForgetTree:
            tree.reset();
            break;
        case CBusAction::Change::RemoveSerialDevice:
            tree.removeItem(tree.device(target.gatewayText, "SN", target.deviceNumber));
            doc.removeBusDevice(target.gatewayText, QByteArray::number(target.deviceNumber), "SN");
            break;
        case CBusAction::Change::RemoveDevice:
            for (int row = 0; row < tree.root()->childCount(); ++row) {
                tree.removeItem(tree.device(tree.root()->child(row)->gatewayText,
                                            target.deviceAttribute, target.deviceNumber));
            }
            doc.removeDevice(target.deviceAttribute, target.deviceNumber);
            break;
        case CBusAction::Change::RemoveGateway:
            tree.removeItem(tree.gateway(target.gatewayText));
            doc.removeGateway(target.gatewayText);
            break;
        case CBusAction::Change::RemoveAll:
            doc.clearAll();
            tree.reset();
            break;
    }
}

QString CBusActions::gatewayName(const pugi::xml_document& plan, quint32 address) {
    if (address == CIpv4Address::kBroadcast) {
        return kEveryGateway;
    }
    return CGatewayName::of(plan, address);
}

QString CBusActions::deviceName(const pugi::xml_document& plan, const CBusTarget& target) {
    return QStringLiteral("%1 %2 behind %3")
        .arg(QString::fromLatin1(target.deviceAttribute))
        .arg(target.deviceNumber)
        .arg(gatewayName(plan, target.gatewayAddress));
}

CBusAction CBusActions::refusal(const QString& name, const QString& why) {
    CBusAction action;
    action.name = name;
    action.refused = true;
    action.said = QStringLiteral("%1: nothing sent, %2").arg(name, why);
    return action;
}

CBusAction CBusActions::toGateway(const pugi::xml_document& plan, const QString& name,
                                  QByteArray command, quint32 address) {
    CBusAction action;
    action.name = name;
    action.command = std::move(command);
    action.destination = address;
    action.to = gatewayName(plan, address);
    return action;
}
