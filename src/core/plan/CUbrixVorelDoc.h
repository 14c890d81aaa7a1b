#pragma once

#include "CEnteredSetting.h"
#include "CInboundQueue.h"
#include "CKeypadAddressBlock.h"
#include "CPlanIndex.h"
#include "CSplitReply.h"
#include "CTrafficHistory.h"
#include "CTrafficLog.h"
#include "project/CProject.h"
#include "project/CProjectPlace.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string>

class CErrorLog;
class CSettings;
class IUserNotifier;
struct CTemplatePlan;

// The program's model: the plan (what the devices reported), the template (the project
// being edited) and the validation schema, with the inbound queue, the traffic history
// and its log. Views never poll it: every change ends in updateAllViews(hint).
class CUbrixVorelDoc : public QObject {
    Q_OBJECT

public:
    // The hints of updateAllViews().
    static constexpr quint32 kHintNone = 0;
    static constexpr quint32 kHintDeviceAnnounced = 1;
    static constexpr quint32 kHintSettings = 2;
    static constexpr quint32 kHintGatewayAdded = 8;
    static constexpr quint32 kHintRestructured = 16;
    static constexpr quint32 kHintTrafficLine = 32;

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
    bool saveProject(const QString& path);

    // Drains the inbound queue into the traffic history and enters the replies.
    void AddMsg();
    // The same for at most about budget: a burst of thousands of replies is entered in
    // slices, and whoever drains lets the event loop run between them. True when the budget
    // ran out with lines still queued (every slice ends with its views' update).
    bool AddMsgFor(std::chrono::milliseconds budget);
    // A line of the program's own (an upload's progress) into the traffic history and its
    // log, shown at once like a received line but never taken for a reply.
    void addLogEntry(const QByteArray& line);

    void addGatewayToNetwork(QByteArrayView ip);
    void NetAddDevice(QByteArrayView ip, QByteArrayView value, QByteArrayView name);
    void removeBusDevice(QByteArrayView ip, QByteArrayView value, QByteArrayView name);

    // Removals from the plan. They keep the plan's index true and tell no view: the caller
    // changes its own tree and decides what else to update. Each raises CXmlError only
    // when the XML layer fails.
    //
    // Every gateway: each UBRIX under Device_Configuration and under Network_Configuration
    // (which takes the bus devices heard behind them along).
    void clearGateways();
    // The settings of the gateway at ip: every element below its UBRIX; the element stays,
    // empty, with its IP.
    void clearGatewaySettings(QByteArrayView ip);
    // A bus device by its own identifying attribute ("UID" or "SN") and number: its
    // configuration and its entries under every gateway. An SN entry never takes the UID
    // device of the same number along.
    void removeDevice(QByteArrayView attribute, quint32 number);
    // A gateway with what is known of its bus: the configuration of every device heard
    // behind it (by each entry's own attribute), those entries, and every UBRIX at ip.
    void removeGateway(QByteArrayView ip);
    // Every DEVICE and every UBRIX of the plan.
    void clearAll();

    void startLogging();
    void stopLogging();
    bool isLogging() const;

    void writeErrorLog(const QByteArray& report);
    void notifyViews(quint32 hint) { emit updateAllViews(hint); }

    CInboundQueue& inboundQueue() { return m_inbound; }
    std::atomic<bool>& firewallSuspect() { return m_firewallSuspect; }
    const std::deque<QByteArray>& trafficHistory() const { return m_history.lines(); }
    void clearTrafficHistory() { m_history.clear(); }
    const CTrafficLog& trafficLog() const { return m_log; }

    // The plan changes only through the document's operations.
    const pugi::xml_document& plan() const { return m_plan; }
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
    // Whether the project has changes that no save has written.
    bool isTemplateModified() const { return m_project.isModified(); }

    int mapMode() const { return m_mapMode; }
    void setMapMode(int mode) { m_mapMode = mode; }
    const CKeypadAddressBlock& keypadAddressBlock() const { return m_keypads; }
    // Changes where keypads opened later start (the motor keypad moves entry 6 to 1.1.1).
    void setKeypadStart(int entry, const CKeypadAddress& address) {
        m_keypads.setStart(entry, address);
    }

signals:
    void updateAllViews(quint32 hint);
    // A setting reply was entered into the plan (before the drain's final update).
    void settingEntered(const CEnteredSetting& setting);
    // The project changed, was opened or saved: its content or its unsaved-changes mark.
    void templateChanged();

private:
    // Drains until the queue is empty, a line ends the drain, or the deadline passed; true
    // in the last case.
    bool drain(const QDeadlineTimer& deadline);
    void appendToHistory(QByteArray line);
    bool openLog();
    // Each returns false when the drain must stop at this line.
    bool handleLine(const QByteArray& line, quint32& hint);
    void announceUid(const QByteArray& line, quint32& hint);
    void announceSerial(const QByteArray& line, quint32& hint);
    void enterSetting(const CSplitReply& reply, quint32& hint);
    std::vector<pugi::xml_node> findOrCreateDevice(const CSplitReply& reply, const std::string& id);
    void insertAnnouncedDevice(const char* name, const std::string& text, long long number);
    void addGatewayToNetworkUnguarded(const std::string& ip);
    void loadSchema();
    // Removes every node the selection holds, the deepest first, and forgets the index.
    void removeSelected(const pugi::xpath_node_set& selected);
    const pugi::xml_document& requireProject() const;
    // Does a planned project edit, or tells its refusal; the device it leaves when done.
    std::optional<CProjectDevice> carryOut(const CTemplatePlan& plan);
    void projectEdited(const CTemplateEdit& edit);
    std::optional<CProjectDevice> beginProject(std::unique_ptr<pugi::xml_document> model,
                                               bool gateway);

    CSettings& m_settings;
    IUserNotifier& m_notifier;
    CErrorLog& m_errorLog;
    std::function<void()> m_updateCheck;

    CTrafficHistory m_history;
    CTrafficLog m_log;
    CInboundQueue m_inbound;
    pugi::xml_document m_plan;
    CPlanIndex m_planIndex{m_plan};
    bool m_planMade = false;
    pugi::xml_document m_schema;
    CProject m_project;
    int m_mapMode = 0;
    std::atomic<bool> m_firewallSuspect{true};
    CKeypadAddressBlock m_keypads;
};
