#pragma once

#include "core/plan/CEnteredSetting.h"
#include "core/plan/CPlan.h"
#include "core/project/CProject.h"
#include "core/project/CProjectPlace.h"
#include "core/traffic/CTraffic.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <pugixml.hpp>

class CErrorLog;
class CSettings;
class IUserNotifier;
struct CTemplatePlan;

// The program's document: the plan (what the devices reported, CPlan), the template (the
// project being edited, CProject) and the validation schema, with the traffic (the inbound
// queue, the history and its log, CTraffic). It offers every operation on them in one
// place and tells the views: views never poll it, every change ends in
// updateAllViews(hint).
class CUbrixVorelDoc : public QObject {
    Q_OBJECT

public:
    // The hints of updateAllViews().
    static constexpr quint32 kHintNone = CPlan::kHintNone;
    static constexpr quint32 kHintDeviceAnnounced = CPlan::kHintDeviceAnnounced;
    static constexpr quint32 kHintSettings = CPlan::kHintSettings;
    static constexpr quint32 kHintGatewayAdded = CPlan::kHintGatewayAdded;
    static constexpr quint32 kHintRestructured = CPlan::kHintRestructured;
    static constexpr quint32 kHintTrafficLine = CPlan::kHintTrafficLine;

    CUbrixVorelDoc(CSettings& settings, IUserNotifier& notifier, CErrorLog& errorLog,
                   QObject* parent = nullptr);
    ~CUbrixVorelDoc() override;

    // Runs while the plan is first made, before the log opens (the update check).
    void setUpdateCheck(std::function<void()> check) { m_updateCheck = std::move(check); }

    bool newPlan();
    void close();

    void loadMapFile(const QString& path);
    bool saveMapFile(const QString& path);
    bool openProject(const QString& path);
    // Writes the project to path, which becomes its file.
    bool saveProject(const QString& path);
    // An empty project without a file of its own, its history starting here.
    void newProject();
    bool hasProjectFile() const { return m_project.hasFile(); }

    // Drains the inbound queue into the traffic history and enters the replies.
    void AddMsg();
    // The same for at most about budget: a burst of thousands of replies is entered in
    // slices, and whoever drains lets the event loop run between them. True when the budget
    // ran out with lines still queued (every slice ends with its views' update).
    bool AddMsgFor(std::chrono::milliseconds budget);
    // A line of the program's own (an upload's progress) into the traffic history and its
    // log, shown at once like a received line but never taken for a reply.
    void addLogEntry(const QByteArray& line);

    void addGatewayToNetwork(QByteArrayView ip) { m_plan.addGatewayToNetwork(ip); }
    void NetAddDevice(QByteArrayView ip, QByteArrayView value, QByteArrayView name) {
        m_plan.NetAddDevice(ip, value, name);
    }
    void removeBusDevice(QByteArrayView ip, QByteArrayView value, QByteArrayView name) {
        m_plan.removeBusDevice(ip, value, name);
    }

    // Removals from the plan (see CPlan): each ends in planElementsRemoved(), and raises
    // CXmlError only when the XML layer fails.
    void clearGateways() { m_plan.clearGateways(); }
    void clearGatewaySettings(QByteArrayView ip) { m_plan.clearGatewaySettings(ip); }
    void removeDevice(QByteArrayView attribute, quint32 number) {
        m_plan.removeDevice(attribute, number);
    }
    void removeGateway(QByteArrayView ip) { m_plan.removeGateway(ip); }
    void clearAll() { m_plan.clearAll(); }

    void startLogging() { m_traffic.startLogging(); }
    void stopLogging() { m_traffic.stopLogging(); }
    bool isLogging() const { return m_traffic.isLogging(); }

    void writeErrorLog(const QByteArray& report);
    void notifyViews(quint32 hint) { emit updateAllViews(hint); }

    CTraffic& traffic() { return m_traffic; }
    CInboundQueue& inboundQueue() { return m_traffic.inboundQueue(); }
    std::atomic<bool>& firewallSuspect() { return m_traffic.firewallSuspect(); }
    const std::deque<QByteArray>& trafficHistory() const { return m_traffic.history(); }
    const CTrafficHistory& trafficSession() const { return m_traffic.session(); }
    void clearTrafficHistory() { m_traffic.clearHistory(); }
    const CTrafficLog& trafficLog() const { return m_traffic.log(); }

    // The plan changes only through the document's operations.
    const pugi::xml_document& plan() const { return m_plan.document(); }
    const pugi::xml_document& schema() const { return m_schema; }
    bool hasTemplate() const { return m_project.exists(); }
    const pugi::xml_document* templateDocument() const { return m_project.document(); }
    QString templatePath() const { return m_project.path(); }

    // The project (the template) changes only through these operations. Each can be
    // undone; those that add, remove or readdress a device update all views with hint 16,
    // and every change ends in templateChanged(). A refusal is told through the notifier
    // and changes nothing; a device or section that is not in the project raises CXmlError.
    //
    // Adds model index of the model list from the program's folder: a gateway under the
    // first free placeholder 0.0.0.n, a bus device under the lowest free UID. Without a
    // project the model begins one, which has no file yet ("Template"), so that saving
    // never writes over the program's own model file.
    std::optional<CProjectDevice> addTemplateModel(int index, const QString& programFolder);
    // A deep copy at the end, under the next free address (at most 256 tries).
    std::optional<CProjectDevice> copyTemplateDevice(const CProjectDevice& device);
    bool deleteTemplateDevice(const CProjectDevice& device);
    // The typed address in its canonical form; a text in no valid form changes nothing,
    // an address another device has is refused.
    std::optional<CProjectDevice> changeTemplateAddress(const CProjectDevice& device,
                                                        const QString& typed);
    // A setting of a section a new value: see CTemplateOperations::setValue. True when the
    // project holds the value afterwards.
    bool setTemplateValue(const CProjectPlace& place, const QString& key,
                          const std::optional<QString>& index, const QString& value);
    bool undoTemplateEdit();
    bool redoTemplateEdit();
    bool canUndoTemplateEdit() const { return m_project.canUndo(); }
    bool canRedoTemplateEdit() const { return m_project.canRedo(); }
    // What an undo or a redo would take back or do again ("Change Address"); empty when
    // there is nothing.
    QString templateUndoName() const;
    QString templateRedoName() const;
    // Whether the project has changes that no save has written.
    bool isTemplateModified() const { return m_project.isModified(); }

signals:
    void updateAllViews(quint32 hint);
    // A setting reply was entered into the plan (before the drain's final update).
    void settingEntered(const CEnteredSetting& setting);
    // A bus device announced itself (see CPlan::deviceAnnounced).
    void deviceAnnounced(const QByteArray& gateway, const QByteArray& attribute,
                         const QByteArray& number);
    // Elements left the plan: views drop what stood for them.
    void planElementsRemoved();
    // The project changed, was opened or saved: its content or its unsaved-changes mark.
    void templateChanged();

private:
    // Drains until the queue is empty, a line ends the drain, or the deadline passed; true
    // in the last case.
    bool drain(const QDeadlineTimer& deadline);
    void loadSchema();
    const pugi::xml_document& requireProject() const;
    // Does a planned project edit, or tells its refusal; the device it leaves when done.
    std::optional<CProjectDevice> carryOut(const CTemplatePlan& plan);
    void projectEdited(const CTemplateEdit& edit);
    std::optional<CProjectDevice> beginProject(std::unique_ptr<pugi::xml_document> model,
                                               bool gateway);

    IUserNotifier& m_notifier;
    CErrorLog& m_errorLog;
    std::function<void()> m_updateCheck;

    CTraffic m_traffic;
    CPlan m_plan;
    pugi::xml_document m_schema;
    CProject m_project;
};
