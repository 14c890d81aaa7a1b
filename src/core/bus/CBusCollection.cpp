#include "core/bus/CBusCollection.h"

#include "core/bus/CAnswerCheck.h"
#include "core/bus/CBusPlan.h"
#include "core/bus/CIndexSpans.h"
#include "core/common/CXPathQuery.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/plan/CEnteredSetting.h"
#include "core/plan/CValidationSchema.h"
#include "core/protocol/CCommands.h"
#include "core/transport/CIpv4Address.h"
#include "core/upload/CDeviceAnswers.h"

#include <QList>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <tuple>

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

pugi::xml_node gatewayConfiguration(const pugi::xml_document& plan, const QByteArray& gateway) {
    for (const pugi::xml_node& configuration :
         plan.document_element().children("Device_Configuration")) {
        if (const pugi::xml_node found =
                configuration.find_child_by_attribute("UBRIX", "IP", gateway.constData())) {
            return found;
        }
    }
    return {};
}

// One query that is out: whom it asked, what came back, and what the plan held before.
class Query {
public:
    Query(QByteArray gateway, std::optional<quint32> uid, const pugi::xml_node& known)
        : m_gateway(std::move(gateway)),
          m_uid(uid),
          m_uidText(uid ? QByteArray::number(*uid) : QByteArray()),
          m_known(CDeviceAnswers::fromPlanElement(known)) {}

    bool isFrom(const CEnteredSetting& setting) const {
        if (setting.gateway != m_gateway) {
            return false;
        }
        return m_uid ? !setting.isGateway() && setting.number == m_uidText : setting.isGateway();
    }
    void enter(const CEnteredSetting& setting) { m_received.enterReply(setting); }
    void sent() { ++m_sends; }
    size_t received() const { return m_received.size(); }
    int repeats() const { return m_sends > 1 ? m_sends - 1 : 0; }

    std::vector<CSettingAddress> missing(const CValidationSchema& schema) const {
        return CAnswerCheck::missing(schema, type(), m_received.addresses(), m_known.addresses());
    }
    // Nothing missing, every port its type has shown, and every indexed key as far as in
    // the other reports of its type: a port of one or two settings, or the last index on
    // every port, is lost whole often enough on a lossy network to be worth asking again.
    bool isSettled(const CValidationSchema& schema, const CIndexSpans& spans) const {
        const std::set<CSettingAddress> received = m_received.addresses();
        const std::set<CSettingAddress> known = m_known.addresses();
        return CAnswerCheck::missing(schema, type(), received, known).empty() &&
               CAnswerCheck::portsNotShown(schema, type(), received, known).empty() &&
               !spans.fallsShort(type(), received, known);
    }
    void teach(CIndexSpans& spans) const { spans.learn(type(), m_received.addresses()); }

    CCollectionSummary::Incomplete incompleteness(const CValidationSchema& schema) const {
        return {m_gateway, m_uid, !m_received.isEmpty(), missing(schema)};
    }

private:
    std::string type() const { return m_received.type().value_or(m_known.type().value_or("")); }

    QByteArray m_gateway;
    std::optional<quint32> m_uid;
    QByteArray m_uidText;
    CDeviceAnswers m_known;
    CDeviceAnswers m_received;
    int m_sends = 0;
};

class Collection;

// One lane: the collection's order over its gateways (one of them, or all in turn): each
// gateway's query, then the devices of each gateway.
class Lane {
public:
    Lane(Collection& collection, QList<Gateway> gateways)
        : m_collection(collection), m_gateways(std::move(gateways)) {}

    std::optional<CPacedStep> next();
    // An entered setting, for the query that is out.
    void settingEntered(const CEnteredSetting& setting) {
        if (m_query && m_query->isFrom(setting)) {
            m_query->enter(setting);
        }
    }

private:
    enum class Phase { Start, GatewayQueries, DeviceQueries, End, EndPause, Over };

    std::optional<CPacedStep> nextGatewayQuery();
    std::optional<CPacedStep> nextDeviceQuery();
    CPacedStep query(QByteArray text, const Gateway& to, std::chrono::milliseconds pause,
                     CAwait await);
    // The last query is over: what it still lacks goes into the report.
    void conclude();

    Collection& m_collection;
    Phase m_phase = Phase::Start;
    QList<Gateway> m_gateways;
    qsizetype m_gatewayQueried = 0;
    qsizetype m_gatewayTurn = 0;
    Gateway m_turn;
    QList<Device> m_devices;
    qsizetype m_deviceQueried = 0;
    std::unique_ptr<Query> m_query;
    bool m_incomplete = false;  // a report of this lane still lacks something
    bool m_endPause = true;
    bool m_lookedAgain = false;  // the devices that came meanwhile were looked for
    std::set<std::tuple<QByteArray, QByteArray, quint32>> m_asked;  // gateway, attribute, number
};

// What the lanes of one collection share: the way out, the report, the progress over the
// whole site, and the entered settings, which it hands to the lanes.
class Collection {
public:
    Collection(const CUbrixVorelDoc& doc, CBusCollection::Send send,
               CBusCollection::Options options, std::shared_ptr<CCollectionSummary> report)
        : m_doc(doc),
          m_send(std::move(send)),
          m_options(options),
          m_report(report ? std::move(report) : std::make_shared<CCollectionSummary>()) {
        const QList<Gateway> gateways = gatewaysOf(doc.plan());
        for (const Gateway& gateway : gateways) {
            const qsizetype devices = devicesOf(doc.plan(), gateway.text).size();
            m_devicesOf[gateway.text] = devices;
            m_devicesTotal += devices;
        }
        if (options.concurrent && gateways.size() > 1) {
            for (const Gateway& gateway : gateways) {
                m_lanes.push_back(std::make_unique<Lane>(*this, QList<Gateway>{gateway}));
            }
        } else {
            m_lanes.push_back(std::make_unique<Lane>(*this, gateways));
        }
        m_entered = QObject::connect(&doc, &CUbrixVorelDoc::settingEntered,
                                     [this](const CEnteredSetting& setting) {
                                         for (const std::unique_ptr<Lane>& lane : m_lanes) {
                                             lane->settingEntered(setting);
                                         }
                                     });
    }
    ~Collection() { QObject::disconnect(m_entered); }
    Collection(const Collection&) = delete;
    Collection& operator=(const Collection&) = delete;

    size_t laneCount() const { return m_lanes.size(); }
    Lane& lane(size_t index) { return *m_lanes[index]; }
    const CUbrixVorelDoc& doc() const { return m_doc; }
    const CBusCollection::Send& send() const { return m_send; }
    // Made afresh for each look-up: a new plan brings a new schema document.
    CValidationSchema schema() const { return CValidationSchema(m_doc.schema()); }
    int retries() const { return m_options.retries; }
    bool devicesMayCome() const { return m_options.devicesMayCome && m_options.devicesMayCome(); }
    bool devicesCanCome() const { return static_cast<bool>(m_options.devicesMayCome); }
    CCollectionSummary& report() { return *m_report; }
    CIndexSpans& spans() { return m_spans; }
    const CIndexSpans& spans() const { return m_spans; }

    // A gateway's devices as its turn found them: the site's count follows.
    void devicesRead(const QByteArray& gateway, qsizetype count) {
        qsizetype& known = m_devicesOf[gateway];
        m_devicesTotal += count - known;
        known = count;
    }
    void deviceDone(CSequenceRun& run) {
        ++m_devicesDone;
        const qsizetype total = std::max(m_devicesTotal, m_devicesDone);
        run.reportProgress(
            static_cast<int>((m_devicesDone * CBusCollection::kProgressRange) / total));
    }
    void laneEnded(CSequenceRun& run) {
        if (++m_lanesEnded == m_lanes.size()) {
            run.setEndMessage(m_report->endMessage());
        }
    }

private:
    const CUbrixVorelDoc& m_doc;
    CBusCollection::Send m_send;
    CBusCollection::Options m_options;
    std::shared_ptr<CCollectionSummary> m_report;
    CIndexSpans m_spans;
    std::vector<std::unique_ptr<Lane>> m_lanes;
    std::map<QByteArray, qsizetype> m_devicesOf;
    qsizetype m_devicesTotal = 0;
    qsizetype m_devicesDone = 0;
    size_t m_lanesEnded = 0;
    QMetaObject::Connection m_entered;
};

std::optional<CPacedStep> Lane::next() {
    conclude();
    switch (m_phase) {
        case Phase::Start:
            m_phase = Phase::GatewayQueries;
            return CPacedStep::wait(CBusCollection::kStartPause);
        case Phase::GatewayQueries:
            return nextGatewayQuery();
        case Phase::DeviceQueries:
            return nextDeviceQuery();
        case Phase::End:
            if (m_collection.devicesMayCome()) {
                return CPacedStep::wait(CBusCollection::kDevicesMayComeLook);
            }
            if (m_collection.devicesCanCome() && !std::exchange(m_lookedAgain, true)) {
                // Once more over the lane's gateways, for the devices that came meanwhile.
                m_gatewayTurn = 0;
                m_devices.clear();
                m_deviceQueried = 0;
                m_phase = Phase::DeviceQueries;
                return nextDeviceQuery();
            }
            m_phase = Phase::EndPause;
            return CPacedStep{[this](CSequenceRun& run) {
                                  m_collection.laneEnded(run);
                                  // Paced by replies, the last pause is for answers still on
                                  // their way: when every report is in, none are.
                                  m_endPause = run.pacing() == CPacing::Fixed || m_incomplete;
                                  return true;
                              },
                              std::chrono::milliseconds(0)};
        case Phase::EndPause:
            m_phase = Phase::Over;
            if (m_endPause) {
                return CPacedStep::wait(CBusCollection::kEndPause);
            }
            break;
        case Phase::Over:
            break;
    }
    return std::nullopt;
}

std::optional<CPacedStep> Lane::nextGatewayQuery() {
    if (m_gatewayQueried >= m_gateways.size()) {
        m_phase = Phase::DeviceQueries;
        return nextDeviceQuery();
    }
    const Gateway& gateway = m_gateways[m_gatewayQueried++];
    ++m_collection.report().gatewaysAsked;
    m_query = std::make_unique<Query>(
        gateway.text, std::nullopt, gatewayConfiguration(m_collection.doc().plan(), gateway.text));
    return query(CCommands::gatewayFullQuery(), gateway, CBusCollection::kGatewayPause,
                 CAwait::gatewayReports(gateway.text, CBusCollection::kReportQuiet));
}

std::optional<CPacedStep> Lane::nextDeviceQuery() {
    Device device;
    do {
        // A gateway's devices are read when its turn comes.
        while (m_deviceQueried >= m_devices.size()) {
            if (m_gatewayTurn >= m_gateways.size()) {
                m_phase = Phase::End;
                return next();
            }
            m_turn = m_gateways[m_gatewayTurn++];
            m_devices = devicesOf(m_collection.doc().plan(), m_turn.text);
            m_collection.devicesRead(m_turn.text, m_devices.size());
            m_deviceQueried = 0;
        }
        device = m_devices[m_deviceQueried++];
        // When the lane looks again, the devices it asked before are passed by.
    } while (!m_asked.emplace(m_turn.text, device.attribute, device.number).second);
    Collection& collection = m_collection;
    // A device known only by its serial number has no settings to report yet, and a
    // UID query with its number would ask another device.
    if (device.attribute != "UID") {
        return CPacedStep{[&collection](CSequenceRun& run) {
                              collection.deviceDone(run);
                              return true;
                          },
                          std::chrono::milliseconds(0)};
    }
    ++collection.report().devicesAsked;
    m_query = std::make_unique<Query>(
        m_turn.text, device.number,
        CBusPlan::deviceConfiguration(collection.doc().plan(), "UID", device.number));
    CPacedStep step =
        query(CCommands::busDeviceQuery(device.number), m_turn, CBusCollection::kDevicePause,
              CAwait::deviceReports(m_turn.text, QByteArray::number(device.number),
                                    CBusCollection::kReportQuiet));
    // The progress moves when the device is first asked, not when it is asked again.
    step.action = [&collection, first = step.action, asked = false](CSequenceRun& run) mutable {
        if (!std::exchange(asked, true)) {
            collection.deviceDone(run);
        }
        return first(run);
    };
    return step;
}

CPacedStep Lane::query(QByteArray text, const Gateway& to, std::chrono::milliseconds pause,
                       CAwait await) {
    Query* asking = m_query.get();
    const CBusCollection::Send& send = m_collection.send();
    const Collection* collection = &m_collection;
    const int repeats = CRetryRule::repeatsFor(text, m_collection.retries());
    return {[send, asking, text = std::move(text), address = to.address](CSequenceRun&) {
                asking->sent();
                return send(text, address);
            },
            pause, std::move(await),
            CPacedStep::Repeat{repeats,
                               [asking, collection] {
                                   return asking->isSettled(collection->schema(),
                                                            collection->spans());
                               },
                               [asking] { return asking->received(); }}};
}

void Lane::conclude() {
    if (!m_query) {
        return;
    }
    CCollectionSummary& report = m_collection.report();
    report.repeats += m_query->repeats();
    m_query->teach(m_collection.spans());
    CCollectionSummary::Incomplete incomplete = m_query->incompleteness(m_collection.schema());
    if (!incomplete.missing.empty()) {
        m_incomplete = true;
        report.incomplete.push_back(std::move(incomplete));
    }
    m_query.reset();
}

}  // namespace

bool CBusCollection::hasDevices(const pugi::xml_document& plan) {
    return !CXPathQuery::selectFixed(plan, "//Network_Configuration//DEVICE").empty();
}

std::vector<CSequenceRun::StepSource> CBusCollection::lanes(
    const CUbrixVorelDoc& doc, Send send, Options options,
    std::shared_ptr<CCollectionSummary> report) {
    auto collection =
        std::make_shared<Collection>(doc, std::move(send), options, std::move(report));
    std::vector<CSequenceRun::StepSource> lanes;
    for (size_t i = 0; i < collection->laneCount(); ++i) {
        lanes.push_back([collection, i] { return collection->lane(i).next(); });
    }
    return lanes;
}

CPacing CBusCollection::pacingOf(const QString& setting) {
    return setting.trimmed().compare(QLatin1String("fixed"), Qt::CaseInsensitive) == 0
               ? CPacing::Fixed
               : CPacing::ByReplies;
}
