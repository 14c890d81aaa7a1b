#pragma once

#include "CInboundQueue.h"
#include "CKeypadAddressBlock.h"
#include "CPlanIndex.h"
#include "CSplitReply.h"
#include "CTrafficHistory.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <pugixml.hpp>

class CErrorLog;
class CSettings;
class IUserNotifier;

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
    // A line of the program's own (an upload's progress) into the traffic history and its
    // log, shown at once like a received line but never taken for a reply.
    void addLogEntry(const QByteArray& line);

    void addGatewayToNetwork(QByteArrayView ip);
    void NetAddDevice(QByteArrayView ip, QByteArrayView value, QByteArrayView name);
    void removeBusDevice(QByteArrayView ip, QByteArrayView value, QByteArrayView name);

    void startLogging();
    void stopLogging();
    bool isLogging() const;

    void writeErrorLog(const QByteArray& report);
    void notifyViews(quint32 hint) { emit updateAllViews(hint); }

    CInboundQueue& inboundQueue() { return m_inbound; }
    std::atomic<bool>& firewallSuspect() { return m_firewallSuspect; }
    const std::deque<QByteArray>& trafficHistory() const { return m_history.lines(); }
    void clearTrafficHistory() { m_history.clear(); }

    const pugi::xml_document& plan() const { return m_plan; }
    // For changes made outside the document; the plan's index is rebuilt afterwards.
    pugi::xml_document& editPlan();
    const pugi::xml_document& schema() const { return m_schema; }
    bool hasTemplate() const { return m_template != nullptr; }
    const pugi::xml_document* templateDocument() const { return m_template.get(); }
    pugi::xml_document* editTemplate() { return m_template.get(); }
    QString templatePath() const { return m_templatePath; }

    int mapMode() const { return m_mapMode; }
    void setMapMode(int mode) { m_mapMode = mode; }
    const CKeypadAddressBlock& keypadAddressBlock() const { return m_keypads; }

signals:
    void updateAllViews(quint32 hint);

private:
    void appendToHistory(QByteArray line);
    // Each returns false when the drain must stop at this line.
    bool handleLine(const QByteArray& line, quint32& hint);
    void announceUid(const QByteArray& line, quint32& hint);
    void announceSerial(const QByteArray& line, quint32& hint);
    void enterSetting(const CSplitReply& reply, quint32& hint);
    std::vector<pugi::xml_node> findOrCreateDevice(const CSplitReply& reply, const std::string& id);
    void insertAnnouncedDevice(const char* name, const std::string& text, long long number);
    void addGatewayToNetworkUnguarded(const std::string& ip);
    void loadSchema();

    CSettings& m_settings;
    IUserNotifier& m_notifier;
    CErrorLog& m_errorLog;
    std::function<void()> m_updateCheck;

    CTrafficHistory m_history;
    CInboundQueue m_inbound;
    pugi::xml_document m_plan;
    CPlanIndex m_planIndex{m_plan};
    bool m_planMade = false;
    pugi::xml_document m_schema;
    std::unique_ptr<pugi::xml_document> m_template;
    QString m_templatePath = QStringLiteral("Template");
    int m_mapMode = 0;
    std::atomic<bool> m_firewallSuspect{true};
    CKeypadAddressBlock m_keypads;
};
