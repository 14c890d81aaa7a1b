#include "CBusCollection.h"

#include "CBusPlan.h"
#include "common/CXPathQuery.h"
#include "document/CUbrixVorelDoc.h"
#include "protocol/CCommands.h"
#include "transport/CIpv4Address.h"

#include <QList>
#include <memory>
#include <optional>

namespace {

struct Gateway {
    QByteArray text;
    quint32 address = 0;
};

struct Device {
    QByteArray attribute;
    quint32 number = 0;
};

QList<Gateway> gatewaysOf(const pugi::xml_document& plan) {
    QList<Gateway> gateways;
    for (const pugi::xml_node& network :
         plan.document_element().children("Network_Configuration")) {
        for (const pugi::xml_node& gateway : network.children("UBRIX")) {
            if (const pugi::xml_attribute ip = gateway.attribute("IP")) {
                gateways.append({QByteArray(ip.value()), CIpv4Address::fromDotted(ip.value())});
            }
        }
    }
    return gateways;
}

// The entries heard behind the gateway, in the plan's order, each by its own attribute.
QList<Device> devicesOf(const pugi::xml_document& plan, const QByteArray& gateway) {
    QList<Device> devices;
    for (const pugi::xml_node& network :
         plan.document_element().children("Network_Configuration")) {
        for (const pugi::xml_node& entry : network.children("UBRIX")) {
            if (gateway != entry.attribute("IP").value()) {
                continue;
            }
            for (const pugi::xml_node& heard : entry.children()) {
                if (const pugi::xml_attribute identity = heard.first_attribute()) {
                    devices.append(
                        {QByteArray(identity.name()), CBusPlan::deviceNumber(identity.value())});
                }
            }
        }
    }
    return devices;
}

// Where a collection stands between two steps.
class Collection {
public:
    Collection(const CUbrixVorelDoc& doc, CBusCollection::Send send)
        : m_doc(doc), m_send(std::move(send)) {}

    std::optional<CPacedStep> next() {
        switch (m_phase) {
            case Phase::Start:
                m_phase = Phase::GatewayQueries;
                return CPacedStep::wait(CBusCollection::kStartPause);
            case Phase::GatewayQueries:
                return nextGatewayQuery();
            case Phase::DeviceQueries:
                return nextDeviceQuery();
            case Phase::End:
                m_phase = Phase::Over;
                return CPacedStep::wait(CBusCollection::kEndPause);
            case Phase::Over:
                break;
        }
        return std::nullopt;
    }

private:
    enum class Phase { Start, GatewayQueries, DeviceQueries, End, Over };

    std::optional<CPacedStep> nextGatewayQuery() {
        if (m_gatewayQueried == 0) {
            m_gateways = gatewaysOf(m_doc.plan());
        }
        if (m_gatewayQueried >= m_gateways.size()) {
            m_phase = Phase::DeviceQueries;
            return nextDeviceQuery();
        }
        const Gateway gateway = m_gateways[m_gatewayQueried++];
        CBusCollection::Send send = m_send;
        return CPacedStep{[send, gateway](CSequenceRun&) {
                              return send(CCommands::gatewayFullQuery(), gateway.address);
                          },
                          CBusCollection::kGatewayPause,
                          CAwait::gatewayReports(gateway.text, CBusCollection::kReportQuiet)};
    }

    std::optional<CPacedStep> nextDeviceQuery() {
        // A gateway's devices are read when its turn comes.
        while (m_deviceQueried >= m_devices.size()) {
            if (m_gatewayTurn >= m_gateways.size()) {
                m_phase = Phase::End;
                return next();
            }
            m_turn = m_gateways[m_gatewayTurn++];
            m_devices = devicesOf(m_doc.plan(), m_turn.text);
            m_deviceQueried = 0;
        }
        const qsizetype k = m_deviceQueried++;
        const Device device = m_devices[k];
        const int progress =
            static_cast<int>(((k + 1) * CBusCollection::kProgressRange) / m_devices.size());
        // A device known only by its serial number has no settings to report yet, and a
        // UID query with its number would ask another device.
        if (device.attribute != "UID") {
            return CPacedStep{[progress](CSequenceRun& run) {
                                  run.reportProgress(progress);
                                  return true;
                              },
                              std::chrono::milliseconds(0),
                              {}};
        }
        CBusCollection::Send send = m_send;
        const Gateway gateway = m_turn;
        return CPacedStep{[send, gateway, device, progress](CSequenceRun& run) {
                              run.reportProgress(progress);
                              return send(CCommands::busDeviceQuery(device.number),
                                          gateway.address);
                          },
                          CBusCollection::kDevicePause,
                          CAwait::deviceReports(gateway.text, QByteArray::number(device.number),
                                                CBusCollection::kReportQuiet)};
    }

    const CUbrixVorelDoc& m_doc;
    CBusCollection::Send m_send;
    Phase m_phase = Phase::Start;
    QList<Gateway> m_gateways;
    qsizetype m_gatewayQueried = 0;
    qsizetype m_gatewayTurn = 0;
    Gateway m_turn;
    QList<Device> m_devices;
    qsizetype m_deviceQueried = 0;
};

}  // namespace

bool CBusCollection::hasDevices(const pugi::xml_document& plan) {
    return !CXPathQuery::selectFixed(plan, "//Network_Configuration//DEVICE").empty();
}

CSequenceRun::StepSource CBusCollection::steps(const CUbrixVorelDoc& doc, Send send) {
    auto collection = std::make_shared<Collection>(doc, std::move(send));
    return [collection] { return collection->next(); };
}

CPacing CBusCollection::pacingOf(const QString& setting) {
    return setting.trimmed().compare(QLatin1String("fixed"), Qt::CaseInsensitive) == 0
               ? CPacing::Fixed
               : CPacing::ByReplies;
}
