#include "core/bus/CBusPage.h"

#include "core/bus/CBusPlan.h"
#include "core/bus/CBusTreeItem.h"
#include "core/plan/CPropertyLabel.h"
#include "core/plan/CPropertyRows.h"
#include "core/protocol/CCommands.h"
#include "core/protocol/CValueValidator.h"
#include "core/tree/CNodeKind.h"

#include <QList>

namespace {

QString uidHeader(quint32 uid) {
    return QStringLiteral("UID: %1").arg(uid);
}

// Sections listed under a device or a port: their rows are the section's settings.
bool isListedSection(int kind) {
    switch (kind) {
        case 9:
        case 10:
        case 11:
        case 13:
        case 14:
        case 15:
        case 16:
        case 18:
        case 19:
        case 20:
        case 27:
            return true;
        default:
            return false;
    }
}

// Ports of motor and LED controllers, whose rows are the port's own settings.
bool isListedPort(int kind) {
    return kind == CNodeKind::kMotorPort || kind == CNodeKind::kLedPort;
}

}  // namespace

CBusPage CBusPage::forItem(const pugi::xml_document& plan, const CBusTreeItem& item) {
    CBusPage page;
    page.gatewayAddress = item.gatewayAddress;
    switch (item.role()) {
        case CBusTreeItem::Role::Root:
            return page;
        case CBusTreeItem::Role::Gateway:
            page.header = QStringLiteral("IP : %1").arg(QString::fromLatin1(item.gatewayText));
            return page;
        default:
            break;
    }
    // Only a device with a UID has settings of its own: one known by its serial number
    // has none, and a set command with its number would reach another device.
    const CBusTreeItem* device = item.deviceItem();
    if (device == nullptr || device->deviceAttribute != "UID") {
        return page;
    }
    page.uid = device->deviceNumber;
    const pugi::xml_node configuration = CBusPlan::deviceConfiguration(plan, "UID", page.uid);
    const pugi::xml_node type = configuration.child("TYPE");
    if (item.role() == CBusTreeItem::Role::Device) {
        if (!type) {
            page.action = Action::QueryDevice;
            return page;
        }
        page.element = configuration;
    } else if (isListedSection(item.kind)) {
        page.section = {item.port, item.element, {}, {}};
        page.place.group = item.element.toStdString();
    } else if (isListedPort(item.kind) && item.isPort()) {
        page.section.port = item.port;
    } else {
        return page;
    }
    if (!type) {
        page.action = Action::NoType;
        return page;
    }
    page.action = Action::List;
    page.header = uidHeader(page.uid);
    page.place.type = type.child_value();
    page.place.lookup = CSchemaPlace::Lookup::FirstEntry;
    if (!page.element) {
        page.element = CBusPlan::element(plan, item);
    }
    return page;
}

QByteArray CBusPage::command(const QString& rowLabel, const QString& value,
                             QString& refusal) const {
    if (action != Action::List) {
        return {};
    }
    const CPropertyLabel::Parts parts = CPropertyLabel::split(rowLabel);
    QList<QByteArray> wire;
    for (const QString& text : {parts.key, parts.index}) {
        CValueValidator::Result checked = CValueValidator::check(text);
        if (!checked.accepted()) {
            refusal = checked.refusal;
            return {};
        }
        wire.append(std::move(checked.wire));
    }
    const CSettingAddress address{section.port, section.group, wire[0], wire[1]};
    const CValueValidator::Result checked = CValueValidator::check(
        value, CPropertyRows::typeOf(rows, rowLabel), QString::fromLatin1(address.text()));
    if (!checked.accepted()) {
        refusal = checked.refusal;
        return {};
    }
    return CCommands::busDeviceSetting(uid, address, checked.wire, ";");
}
