#include "CUbrixVorelDoc.h"

#include "CErrorLog.h"
#include "CModelTemplates.h"
#include "CReplySplitter.h"
#include "CValidationSchema.h"
#include "common/CXPathNumber.h"
#include "common/CXPathQuery.h"
#include "common/CXmlEdit.h"
#include "common/CXmlError.h"
#include "common/CXmlFile.h"
#include "common/CXmlText.h"
#include "common/IUserNotifier.h"
#include "project/CProjectLookup.h"
#include "project/CTemplateOperations.h"
#include "settings/CSettings.h"

#include <QFile>
#include <cstring>
#include <string>

static void initSchemaResource() {
    Q_INIT_RESOURCE(schema);
}

namespace {

using Nodes = std::vector<pugi::xml_node>;

const char* const kAddMsgError = "Error in CUbrixVorelDoc::AddMsg()";
const char* const kNetAddDeviceError = "Error in CUbrixVorelDoc::NetAddDevice()";

std::string toText(QByteArrayView bytes) {
    return CXmlText::fromWire(bytes);
}

// An element name from the wire. Unlike a value, a name with a control character is not
// mended into something else: it stays invalid, and creating the element fails.
std::string toName(QByteArrayView bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) < 0x20) {
            return std::string(bytes.data(), static_cast<size_t>(bytes.size()));
        }
    }
    return CXmlText::fromWire(bytes);
}

bool hasAttributeValue(const pugi::xml_node& node, const char* name, std::string_view value) {
    const pugi::xml_attribute attribute = node.attribute(name);
    return attribute && value == attribute.value();
}

// The children of every context named name (and, when attribute is given, carrying
// that attribute with that value), in document order: a step of a location path.
Nodes step(const Nodes& contexts, const std::string& name, const char* attribute = nullptr,
           std::string_view value = {}) {
    Nodes found;
    for (const pugi::xml_node& context : contexts) {
        for (pugi::xml_node child = context.child(name.c_str()); child;
             child = child.next_sibling(name.c_str())) {
            if (attribute == nullptr || hasAttributeValue(child, attribute, value)) {
                found.push_back(child);
            }
        }
    }
    return found;
}

// The first element of elements whose attribute, read as a number, is greater than
// number: "[@name>'n']".
pugi::xml_node firstGreater(const Nodes& parents, const char* element, const char* attribute,
                            double number) {
    for (const pugi::xml_node& parent : parents) {
        for (pugi::xml_node child = parent.child(element); child;
             child = child.next_sibling(element)) {
            const pugi::xml_attribute value = child.attribute(attribute);
            if (value && CXPathNumber::parse(value.value()) > number) {
                return child;
            }
        }
    }
    return {};
}

// A new DEVICE element with the attribute, before the first of the parents' DEVICE
// elements whose attribute is numerically greater ("[@name>'n']"), else at the end of
// parent: bus devices stay in ascending order of their number.
pugi::xml_node insertDeviceInOrder(const Nodes& parents, pugi::xml_node parent,
                                   const std::string& attribute, const std::string& text,
                                   double number) {
    const pugi::xml_node greater = firstGreater(parents, "DEVICE", attribute.c_str(), number);
    pugi::xml_node device = greater ? CXmlEdit::insertElementBefore(parent, "DEVICE", greater)
                                    : CXmlEdit::appendElement(parent, "DEVICE");
    CXmlEdit::setAttribute(device, attribute, text);
    return device;
}

// The texts that name a bus device heard behind a gateway, ready to be quoted.
struct NetworkKey {
    std::string address;
    std::string text;
    std::string attribute;

    NetworkKey(QByteArrayView ip, QByteArrayView value, QByteArrayView name)
        : address(toText(ip)), text(toText(value)), attribute(toText(name)) {
        CXmlEdit::requireQuotable(address);
        CXmlEdit::requireQuotable(text);
    }
};

// The text after the first marker, with every ";" removed: the number of an announcement.
QByteArray announcedText(const QByteArray& line, const char* marker) {
    const qsizetype at = line.indexOf(marker);
    QByteArray rest = line.mid(at + static_cast<qsizetype>(std::strlen(marker)));
    rest.replace(";", "");
    return rest;
}

}  // namespace

CUbrixVorelDoc::CUbrixVorelDoc(CSettings& settings, IUserNotifier& notifier, CErrorLog& errorLog,
                               QObject* parent)
    : QObject(parent), m_settings(settings), m_notifier(notifier), m_errorLog(errorLog) {}

CUbrixVorelDoc::~CUbrixVorelDoc() = default;

bool CUbrixVorelDoc::newPlan() {
    if (m_updateCheck) {
        m_updateCheck();
    }
    if (m_settings.log != 0 && !openLog()) {
        m_settings.log = 0;
    }
    m_plan.reset();
    pugi::xml_node declaration = m_plan.append_child(pugi::node_declaration);
    declaration.append_attribute("version").set_value("1.0");
    pugi::xml_node root = m_plan.append_child("Plan");
    root.append_child("Device_Configuration");
    root.append_child("Network_Configuration");
    m_planIndex.invalidate();
    m_planMade = true;
    loadSchema();
    m_keypads = CKeypadAddressBlock::fromSettings(m_settings);
    return true;
}

void CUbrixVorelDoc::loadSchema() {
    initSchemaResource();
    QFile resource(QStringLiteral(":/schema/validate.xml"));
    QByteArray text;
    if (resource.open(QIODevice::ReadOnly)) {
        text = resource.readAll();
    }
    // The resource ends in CR LF; its last byte is not part of the document.
    text.chop(1);
    QString reason;
    if (!CXmlFile::parse(text, m_schema, reason)) {
        m_schema.reset();
        m_notifier.showMessage(QStringLiteral("Failed to load validate\n%1\n").arg(reason));
    }
}

void CUbrixVorelDoc::close() {
    while (!m_inbound.isEmpty()) {
        QByteArray line = m_inbound.pop();
        m_log.write(line);
        m_history.push(std::move(line));
        m_history.trimIfFull();
    }
    m_log.close();
}

void CUbrixVorelDoc::loadMapFile(const QString& path) {
    if (m_planMade) {
        QString reason;
        if (CXmlFile::load(path, m_plan, reason)) {
            m_planIndex.invalidate();
        } else {
            m_notifier.showMessage(QStringLiteral("Failed to load template:\n%1\n").arg(reason));
        }
    }
    emit updateAllViews(kHintRestructured);
}

bool CUbrixVorelDoc::saveMapFile(const QString& path) {
    if (!m_planMade) {
        return false;
    }
    QString reason;
    if (!CXmlFile::save(m_plan, path, reason)) {
        m_notifier.showMessage(QStringLiteral("Failed to save template:\n%1\n").arg(reason));
        return false;
    }
    return true;
}

bool CUbrixVorelDoc::openProject(const QString& path) {
    auto loaded = std::make_unique<pugi::xml_document>();
    QString reason;
    if (!CXmlFile::load(path, *loaded, reason)) {
        // The project being edited stays: a file that does not open loses nothing.
        m_notifier.showMessage(QStringLiteral("Failed to open Template"));
        return false;
    }
    m_project.replace(std::move(loaded), path);
    emit templateChanged();
    emit updateAllViews(kHintRestructured);
    return true;
}

bool CUbrixVorelDoc::saveProject(const QString& path) {
    if (!m_project.exists()) {
        return false;
    }
    QString reason;
    if (!CXmlFile::save(*m_project.document(), path, reason)) {
        m_notifier.showMessage(QStringLiteral("Failed to save template:\n%1\n").arg(reason));
        return false;
    }
    m_project.markSaved();
    emit templateChanged();
    return true;
}

const pugi::xml_document& CUbrixVorelDoc::requireProject() const {
    if (!m_project.exists()) {
        throw CXmlError("there is no project");
    }
    return *m_project.document();
}

std::optional<CProjectDevice> CUbrixVorelDoc::carryOut(const CTemplatePlan& plan) {
    if (!plan.refusal.isEmpty()) {
        m_notifier.showMessage(plan.refusal);
        return std::nullopt;
    }
    if (!plan.edit) {
        return std::nullopt;
    }
    m_project.apply(*plan.edit);
    projectEdited(*plan.edit);
    return plan.device;
}

void CUbrixVorelDoc::projectEdited(const CTemplateEdit& edit) {
    emit templateChanged();
    if (edit.restructures()) {
        emit updateAllViews(kHintRestructured);
    }
}

std::optional<CProjectDevice> CUbrixVorelDoc::addTemplateModel(int index,
                                                               const QString& programFolder) {
    const CModelTemplates::Model* model = CModelTemplates::model(index);
    if (model == nullptr) {
        return std::nullopt;
    }
    auto loaded = std::make_unique<pugi::xml_document>();
    QString reason;
    if (!CXmlFile::load(CModelTemplates::path(*model, programFolder), *loaded, reason)) {
        m_notifier.showMessage(QString::fromLatin1(CTemplateOperations::kModelUnusable));
        return std::nullopt;
    }
    if (!m_project.exists()) {
        return beginProject(std::move(loaded), model->gateway);
    }
    return carryOut(CTemplateOperations::addModel(*m_project.document(), *loaded, model->gateway));
}

// The first model begins the project: its file without the device, to which the device
// then comes back as the first edit, so that even this add can be undone.
std::optional<CProjectDevice> CUbrixVorelDoc::beginProject(
    std::unique_ptr<pugi::xml_document> model, bool gateway) {
    auto project = std::make_unique<pugi::xml_document>();
    project->reset(*model);
    const std::vector<pugi::xml_node> offered = CProjectLookup::devices(
        *project, gateway ? CProjectDevice::Role::Gateway : CProjectDevice::Role::BusDevice);
    if (!offered.empty()) {
        offered.front().parent().remove_child(offered.front());
    }
    const CTemplatePlan plan = CTemplateOperations::addModel(*project, *model, gateway);
    if (!plan.refusal.isEmpty()) {
        m_notifier.showMessage(plan.refusal);
        return std::nullopt;
    }
    m_project.replace(std::move(project), QString::fromLatin1(CProject::kUntitled));
    return carryOut(plan);
}

std::optional<CProjectDevice> CUbrixVorelDoc::copyTemplateDevice(const CProjectDevice& device) {
    return carryOut(CTemplateOperations::copy(requireProject(), device));
}

bool CUbrixVorelDoc::deleteTemplateDevice(const CProjectDevice& device) {
    return carryOut(CTemplateOperations::remove(requireProject(), device)).has_value();
}

std::optional<CProjectDevice> CUbrixVorelDoc::changeTemplateAddress(const CProjectDevice& device,
                                                                    const QString& typed) {
    return carryOut(CTemplateOperations::changeAddress(requireProject(), device, typed));
}

bool CUbrixVorelDoc::setTemplateValue(const CProjectPlace& place, const QString& key,
                                      const std::optional<QString>& index, const QString& value) {
    const CTemplatePlan plan = CTemplateOperations::setValue(
        requireProject(), CValidationSchema(m_schema), place, key, index, value);
    if (plan.refusal.isEmpty() && !plan.edit) {
        return true;
    }
    return carryOut(plan).has_value();
}

bool CUbrixVorelDoc::undoTemplateEdit() {
    const CTemplateEdit* edit = m_project.undo();
    if (edit == nullptr) {
        return false;
    }
    projectEdited(*edit);
    return true;
}

bool CUbrixVorelDoc::redoTemplateEdit() {
    const CTemplateEdit* edit = m_project.redo();
    if (edit == nullptr) {
        return false;
    }
    projectEdited(*edit);
    return true;
}

void CUbrixVorelDoc::startLogging() {
    m_settings.log = 1;
    if (!openLog()) {
        m_settings.log = 0;
    }
}

bool CUbrixVorelDoc::openLog() {
    return m_log.open(m_settings.logFilePath(), m_settings.logLimitBytes());
}

void CUbrixVorelDoc::stopLogging() {
    m_settings.log = 0;
    // Every line went to the file as it arrived: nothing is written again.
    m_log.close();
}

bool CUbrixVorelDoc::isLogging() const {
    return m_settings.log != 0;
}

void CUbrixVorelDoc::writeErrorLog(const QByteArray& report) {
    m_errorLog.write(report);
}

void CUbrixVorelDoc::appendToHistory(QByteArray line) {
    m_log.write(line);
    m_history.push(std::move(line));
    emit updateAllViews(kHintTrafficLine);
    m_history.trimIfFull();
}

void CUbrixVorelDoc::addLogEntry(const QByteArray& line) {
    appendToHistory(line);
}

void CUbrixVorelDoc::AddMsg() {
    drain(QDeadlineTimer(QDeadlineTimer::Forever));
}

bool CUbrixVorelDoc::AddMsgFor(std::chrono::milliseconds budget) {
    return drain(QDeadlineTimer(budget));
}

bool CUbrixVorelDoc::drain(const QDeadlineTimer& deadline) {
    quint32 hint = kHintNone;
    bool outOfTime = false;
    while (!m_inbound.isEmpty()) {
        if (deadline.hasExpired()) {
            outOfTime = true;
            break;
        }
        const QByteArray line = m_inbound.pop();
        appendToHistory(line);
        try {
            if (!handleLine(line, hint)) {
                break;
            }
        } catch (const CXmlError&) {
            writeErrorLog(kAddMsgError + line);
            m_log.flush();
            return false;
        }
    }
    // A burst is on disk as soon as it is through, whoever reads the file.
    m_log.flush();
    emit updateAllViews(hint);
    return outOfTime;
}

bool CUbrixVorelDoc::handleLine(const QByteArray& line, quint32& hint) {
    if (line.contains("+UID")) {
        announceUid(line, hint);
    } else if (line.contains("+SN")) {
        announceSerial(line, hint);
    } else if (line.contains('!')) {
        const CSplitReply reply = CReplySplitter::split(line);
        if (reply.kind == CSplitReply::NotASetting) {
            return false;
        }
        if (reply.kind != CSplitReply::Ignored) {
            enterSetting(reply, hint);
        }
    }
    return true;
}

void CUbrixVorelDoc::announceUid(const QByteArray& line, quint32& hint) {
    const QByteArray sender = CReplySplitter::senderOf(line);
    const QByteArray uidText = announcedText(line, "UID");
    const auto uid = static_cast<int>(CXPathNumber::leadingInteger(uidText.toStdString()));
    insertAnnouncedDevice("UID", toText(uidText), uid);
    NetAddDevice(sender, uidText, "UID");
    hint = (static_cast<quint32>(uid) << 16) + 1;
}

void CUbrixVorelDoc::announceSerial(const QByteArray& line, quint32& hint) {
    const QByteArray sender = CReplySplitter::senderOf(line);
    const QByteArray serialText = announcedText(line, "SN");
    // Serial numbers are unsigned 32-bit on the bus: read them so, not as a signed int.
    const auto serial =
        static_cast<unsigned int>(CXPathNumber::leadingInteger(serialText.toStdString()));
    insertAnnouncedDevice("SN", toText(serialText), serial);
    NetAddDevice(sender, serialText, "SN");
    hint = kHintDeviceAnnounced;
}

// A device heard by announcement joins Device_Configuration in ascending order of its
// number, unless the plan has it already.
void CUbrixVorelDoc::insertAnnouncedDevice(const char* name, const std::string& text,
                                           long long number) {
    if (!m_planIndex.devices(name, std::to_string(number)).empty()) {
        return;
    }
    const pugi::xml_node device =
        insertDeviceInOrder(m_planIndex.deviceConfigurations(), m_planIndex.deviceConfiguration(),
                            name, text, static_cast<double>(number));
    m_planIndex.addDevice(name, text, device);
}

// The identity of a reply's setting: which device, port, group, key and index.
static std::string settingPath(const CSplitReply& reply) {
    std::string path;
    path.reserve(64);
    for (const QByteArray* part :
         {&reply.sender, &reply.identifier, &reply.address.port, &reply.address.group,
          &reply.address.key, &reply.address.index}) {
        path += std::to_string(part->size());
        path += ':';
        path.append(part->constData(), static_cast<size_t>(part->size()));
    }
    path += reply.kind == CSplitReply::GatewaySetting ? 'G' : 'D';
    return path;
}

static CEnteredSetting enteredSetting(const CSplitReply& reply) {
    CEnteredSetting entered;
    const bool isGateway = reply.kind == CSplitReply::GatewaySetting;
    entered.source =
        isGateway ? CEnteredSetting::Source::Gateway : CEnteredSetting::Source::BusDevice;
    entered.gateway = reply.sender;
    entered.attribute = isGateway ? "IP" : "UID";
    entered.number = reply.identifier;
    entered.address = reply.address;
    entered.value = reply.value;
    return entered;
}

void CUbrixVorelDoc::enterSetting(const CSplitReply& reply, quint32& hint) {
    // A port alias also names the port element, so it always takes the whole path.
    const bool namesPort = !reply.address.port.isEmpty() && reply.address.key == "ALIAS";
    std::string path = settingPath(reply);
    if (!namesPort) {
        if (pugi::xml_node known = m_planIndex.cachedSetting(path)) {
            if (CXmlEdit::setText(known, toText(reply.value))) {
                m_planIndex.forgetSettings();
            }
            hint |= kHintSettings;
            emit settingEntered(enteredSetting(reply));
            return;
        }
    }

    const std::string id = toText(reply.identifier);
    Nodes contexts = findOrCreateDevice(reply, id);
    pugi::xml_node parent = contexts.front();

    if (!reply.address.port.isEmpty()) {
        const std::string port = toText(reply.address.port);
        CXmlEdit::requireQuotable(port);
        contexts = step(contexts, "PORT", "P", port);
        if (contexts.empty()) {
            pugi::xml_node created = CXmlEdit::appendElement(parent, "PORT");
            CXmlEdit::setAttribute(created, "P", port);
            contexts = {created};
        }
        if (reply.address.key == "ALIAS") {
            CXmlEdit::setAttribute(contexts.front(), "Name", toText(reply.value));
        }
        parent = contexts.front();
    }
    if (!reply.address.group.isEmpty()) {
        const std::string group = toName(reply.address.group);
        contexts = step(contexts, group);
        if (contexts.empty()) {
            contexts = {CXmlEdit::appendElement(parent, group)};
        }
        parent = contexts.front();
    }

    const std::string key = toName(reply.address.key);
    const std::string index = toText(reply.address.index);
    const std::string value = toText(reply.value);
    CXmlEdit::requireQuotable(index);
    const Nodes leaves = index.empty() ? step(contexts, key) : step(contexts, key, "A", index);
    pugi::xml_node leaf;
    if (!leaves.empty()) {
        leaf = leaves.front();
    } else {
        leaf = CXmlEdit::appendElement(parent, key);
        if (!index.empty()) {
            CXmlEdit::setAttribute(leaf, "A", index);
        }
    }
    if (CXmlEdit::setText(leaf, value)) {
        m_planIndex.forgetSettings();
    }
    m_planIndex.rememberSetting(std::move(path), leaf);
    hint |= kHintSettings;
    emit settingEntered(enteredSetting(reply));
}

Nodes CUbrixVorelDoc::findOrCreateDevice(const CSplitReply& reply, const std::string& id) {
    const bool isGateway = reply.kind == CSplitReply::GatewaySetting;
    const std::string sender = toText(reply.sender);
    CXmlEdit::requireQuotable(isGateway ? sender : id);
    const pugi::xml_node configuration = m_planIndex.deviceConfiguration();
    const Nodes& existing =
        isGateway ? m_planIndex.gateways(sender) : m_planIndex.devices("UID", id);
    if (!existing.empty()) {
        return existing;
    }
    if (isGateway) {
        pugi::xml_node gateway = CXmlEdit::appendElement(configuration, "UBRIX");
        CXmlEdit::setAttribute(gateway, "IP", sender);
        m_planIndex.addGateway(sender, gateway);
        addGatewayToNetwork(reply.sender);
        emit updateAllViews(kHintGatewayAdded);
        return {gateway};
    }
    pugi::xml_node device = CXmlEdit::appendElement(configuration, "DEVICE");
    CXmlEdit::setAttribute(device, "UID", id);
    m_planIndex.addDevice("UID", id, device);
    NetAddDevice(reply.sender, reply.identifier, "UID");
    return {device};
}

void CUbrixVorelDoc::addGatewayToNetwork(QByteArrayView ip) {
    try {
        addGatewayToNetworkUnguarded(toText(ip));
    } catch (const CXmlError&) {
        writeErrorLog(kNetAddDeviceError);
    }
}

void CUbrixVorelDoc::addGatewayToNetworkUnguarded(const std::string& ip) {
    CXmlEdit::requireQuotable(ip);
    if (!m_planIndex.networkGateways(ip).empty()) {
        return;
    }
    pugi::xml_node gateway = CXmlEdit::appendElement(m_planIndex.networkConfiguration(), "UBRIX");
    CXmlEdit::setAttribute(gateway, "IP", ip);
    m_planIndex.addNetworkGateway(ip, gateway);
}

void CUbrixVorelDoc::NetAddDevice(QByteArrayView ip, QByteArrayView value, QByteArrayView name) {
    try {
        const NetworkKey key(ip, value, name);
        if (m_planIndex.networkGateways(key.address).empty()) {
            addGatewayToNetwork(ip);
        }
        const Nodes gateways = m_planIndex.networkGateways(key.address);
        if (!step(gateways, "DEVICE", key.attribute.c_str(), key.text).empty()) {
            return;
        }
        if (gateways.empty()) {
            throw CXmlError("no gateway element for " + key.address);
        }
        insertDeviceInOrder(gateways, gateways.front(), key.attribute, key.text,
                            CXPathNumber::parse(key.text));
    } catch (const CXmlError&) {
        writeErrorLog(kNetAddDeviceError);
    }
}

void CUbrixVorelDoc::removeBusDevice(QByteArrayView ip, QByteArrayView value, QByteArrayView name) {
    try {
        const NetworkKey key(ip, value, name);
        const Nodes heard = step(m_planIndex.networkGateways(key.address), "DEVICE",
                                 key.attribute.c_str(), key.text);
        if (heard.empty()) {
            return;
        }
        m_planIndex.invalidate();
        CXmlEdit::remove(heard.front());
        const Nodes& known = m_planIndex.devices(key.attribute, key.text);
        if (!known.empty()) {
            const pugi::xml_node device = known.front();
            m_planIndex.invalidate();
            CXmlEdit::remove(device);
        }
    } catch (const CXmlError&) {
        writeErrorLog(kNetAddDeviceError);
    }
}

void CUbrixVorelDoc::removeSelected(const pugi::xpath_node_set& selected) {
    m_planIndex.invalidate();
    // In reverse document order a node always goes before any element that holds it, so
    // no node is removed after its ancestor freed it.
    std::vector<pugi::xml_node> nodes;
    nodes.reserve(selected.size());
    for (const pugi::xpath_node& hit : selected) {
        nodes.push_back(hit.node());
    }
    for (auto node = nodes.rbegin(); node != nodes.rend(); ++node) {
        CXmlEdit::remove(*node);
    }
}

void CUbrixVorelDoc::clearGateways() {
    pugi::xpath_node_set gateways = CXPathQuery::selectFixed(
        m_plan, "//Device_Configuration/UBRIX | //Network_Configuration/UBRIX");
    gateways.sort();
    removeSelected(gateways);
}

void CUbrixVorelDoc::clearGatewaySettings(QByteArrayView ip) {
    CXPathQuery settings("//Device_Configuration/UBRIX[@IP = $ip]/*", {"ip"});
    settings.set("ip", toText(ip));
    removeSelected(settings.select(m_plan));
}

void CUbrixVorelDoc::removeDevice(QByteArrayView attribute, quint32 number) {
    CXPathQuery devices("//DEVICE[@*[name() = $attribute] = $number]", {"attribute", "number"});
    devices.set("attribute", toText(attribute)).set("number", std::to_string(number));
    removeSelected(devices.select(m_plan));
}

void CUbrixVorelDoc::removeGateway(QByteArrayView ip) {
    const std::string address = toText(ip);
    CXPathQuery entries("//Network_Configuration/UBRIX[@IP = $ip]/*", {"ip"});
    entries.set("ip", address);
    // The identities are read first: a configuration removed may hold an entry.
    std::vector<std::pair<std::string, std::string>> identities;
    for (const pugi::xpath_node& entry : entries.select(m_plan)) {
        const pugi::xml_attribute identity = entry.node().first_attribute();
        identities.emplace_back(identity.name(), identity.value());
    }
    CXPathQuery configuration("//Device_Configuration/DEVICE[@*[name() = $attribute] = $number]",
                              {"attribute", "number"});
    for (const auto& [attribute, number] : identities) {
        configuration.set("attribute", attribute).set("number", number);
        removeSelected(configuration.select(m_plan));
    }
    removeSelected(entries.select(m_plan));
    CXPathQuery gateways("//UBRIX[@IP = $ip]", {"ip"});
    gateways.set("ip", address);
    removeSelected(gateways.select(m_plan));
}

void CUbrixVorelDoc::clearAll() {
    pugi::xpath_node_set everything = CXPathQuery::selectFixed(m_plan, "//DEVICE | //UBRIX");
    everything.sort();
    removeSelected(everything);
}
