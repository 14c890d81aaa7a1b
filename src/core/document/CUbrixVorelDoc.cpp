#include "core/document/CUbrixVorelDoc.h"

#include "core/common/CXmlError.h"
#include "core/common/CXmlFile.h"
#include "core/common/IUserNotifier.h"
#include "core/plan/CErrorLog.h"
#include "core/plan/CModelTemplates.h"
#include "core/plan/CValidationSchema.h"
#include "core/project/CProjectLookup.h"
#include "core/project/CTemplateOperations.h"

#include <QFile>

static void initSchemaResource() {
    Q_INIT_RESOURCE(schema);
}

namespace {

const char* const kAddMsgError = "Error in CUbrixVorelDoc::AddMsg()";

}  // namespace

CUbrixVorelDoc::CUbrixVorelDoc(CSettings& settings, IUserNotifier& notifier, CErrorLog& errorLog,
                               QObject* parent)
    : QObject(parent),
      m_notifier(notifier),
      m_errorLog(errorLog),
      m_traffic(settings),
      m_plan(errorLog) {
    connect(&m_traffic, &CTraffic::lineAppended, this,
            [this] { emit updateAllViews(kHintTrafficLine); });
    connect(&m_plan, &CPlan::gatewayAdded, this,
            [this] { emit updateAllViews(kHintGatewayAdded); });
    connect(&m_plan, &CPlan::settingEntered, this, &CUbrixVorelDoc::settingEntered);
    connect(&m_plan, &CPlan::deviceAnnounced, this, &CUbrixVorelDoc::deviceAnnounced);
    connect(&m_plan, &CPlan::removed, this, &CUbrixVorelDoc::planElementsRemoved);
}

CUbrixVorelDoc::~CUbrixVorelDoc() = default;

bool CUbrixVorelDoc::newPlan() {
    if (m_updateCheck) {
        m_updateCheck();
    }
    m_traffic.openLogIfOn();
    m_plan.make();
    loadSchema();
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
    m_traffic.close();
}

void CUbrixVorelDoc::loadMapFile(const QString& path) {
    if (m_plan.isMade()) {
        QString reason;
        if (!m_plan.load(path, reason)) {
            m_notifier.showMessage(QStringLiteral("Failed to load template:\n%1\n").arg(reason));
        }
    }
    emit updateAllViews(kHintRestructured);
}

bool CUbrixVorelDoc::saveMapFile(const QString& path) {
    if (!m_plan.isMade()) {
        return false;
    }
    QString reason;
    if (!m_plan.save(path, reason)) {
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
    m_project.savedAs(path);
    emit templateChanged();
    return true;
}

void CUbrixVorelDoc::newProject() {
    auto project = std::make_unique<pugi::xml_document>();
    pugi::xml_node plan = project->append_child("Plan");
    plan.append_child("Device_Configuration");
    plan.append_child("Network_Configuration");
    m_project.replace(std::move(project), QString::fromLatin1(CProject::kUntitled));
    emit templateChanged();
    emit updateAllViews(kHintRestructured);
}

QString CUbrixVorelDoc::templateUndoName() const {
    const CTemplateEdit* edit = m_project.nextUndo();
    return edit != nullptr ? QString::fromStdString(edit->name()) : QString();
}

QString CUbrixVorelDoc::templateRedoName() const {
    const CTemplateEdit* edit = m_project.nextRedo();
    return edit != nullptr ? QString::fromStdString(edit->name()) : QString();
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

void CUbrixVorelDoc::writeErrorLog(const QByteArray& report) {
    m_errorLog.write(report);
}

void CUbrixVorelDoc::addLogEntry(const QByteArray& line) {
    m_traffic.append(line);
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
    CInboundQueue& inbound = m_traffic.inboundQueue();
    while (!inbound.isEmpty()) {
        if (deadline.hasExpired()) {
            outOfTime = true;
            break;
        }
        const QByteArray line = inbound.pop();
        m_traffic.append(line);
        try {
            if (!m_plan.enterLine(line, hint)) {
                break;
            }
        } catch (const CXmlError&) {
            writeErrorLog(kAddMsgError + line);
            m_traffic.flushLog();
            return false;
        }
    }
    // A burst is on disk as soon as it is through, whoever reads the file.
    m_traffic.flushLog();
    emit updateAllViews(hint);
    return outOfTime;
}
