#pragma once

#include "core/plan/CEnteredSetting.h"
#include "core/plan/CPlanIndex.h"
#include "core/plan/CSplitReply.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>
#include <pugixml.hpp>
#include <string>
#include <vector>

class CErrorLog;

// The plan: what the gateways and bus devices reported, as one XML document with its
// index. Replies are entered here and elements are removed here, nowhere else, so the
// index never points at a removed node. Every change is told by a signal.
class CPlan : public QObject {
    Q_OBJECT

public:
    // The hints of the views' update: what a change did to the plan (and to the traffic).
    static constexpr quint32 kHintNone = 0;
    static constexpr quint32 kHintDeviceAnnounced = 1;
    static constexpr quint32 kHintSettings = 2;
    static constexpr quint32 kHintGatewayAdded = 8;
    static constexpr quint32 kHintRestructured = 16;
    static constexpr quint32 kHintTrafficLine = 32;

    explicit CPlan(CErrorLog& errorLog, QObject* parent = nullptr);

    const pugi::xml_document& document() const { return m_plan; }
    bool isMade() const { return m_made; }

    // An empty plan: the declaration, Plan, Device_Configuration and Network_Configuration.
    void make();
    // Replaces the plan by the file's; a file that does not load changes nothing.
    bool load(const QString& path, QString& reason);
    bool save(const QString& path, QString& reason) const;

    // Enters one traffic line (an announcement or a setting reply) and or-s its hint into
    // hint. False when the line ends a drain (a query echo, a status, no key). Raises
    // CXmlError when the XML layer refuses the line.
    bool enterLine(const QByteArray& line, quint32& hint);

    void addGatewayToNetwork(QByteArrayView ip);
    void NetAddDevice(QByteArrayView ip, QByteArrayView value, QByteArrayView name);
    void removeBusDevice(QByteArrayView ip, QByteArrayView value, QByteArrayView name);

    // Removals. Each keeps the index true and ends in removed(); each raises CXmlError
    // only when the XML layer fails.
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

signals:
    // A reply named a gateway the plan did not know: it is in the plan now.
    void gatewayAdded();
    // A setting reply was entered (before the drain's final update).
    void settingEntered(const CEnteredSetting& setting);
    // A bus device announced itself ("+UID12;", "+SN812;") behind the gateway (dotted):
    // attribute is "UID" or "SN", number its text.
    void deviceAnnounced(const QByteArray& gateway, const QByteArray& attribute,
                         const QByteArray& number);
    // Elements left the plan.
    void removed();

private:
    using Nodes = std::vector<pugi::xml_node>;

    void announceUid(const QByteArray& line, quint32& hint);
    void announceSerial(const QByteArray& line, quint32& hint);
    void enterSetting(const CSplitReply& reply, quint32& hint);
    Nodes findOrCreateDevice(const CSplitReply& reply, const std::string& id);
    void insertAnnouncedDevice(const char* name, const std::string& text, long long number);
    void addGatewayToNetworkUnguarded(const std::string& ip);
    // Removes every node the selection holds, the deepest first, and forgets the index.
    void removeSelected(const pugi::xpath_node_set& selected);

    CErrorLog& m_errorLog;
    pugi::xml_document m_plan;
    CPlanIndex m_index{m_plan};
    bool m_made = false;
};
