#pragma once

#include "core/bus/CBusTreeModel.h"

#include <QObject>

class CUbrixVorelDoc;
struct CEnteredSetting;

// Keeps the bus view's tree following the plan. A drain of replies only marks the tree
// stale and notes which devices reported; one pass brings it up to date on the next turn of
// the event loop, however many drains came before it, and reads only what they changed, so
// that a site reporting at full speed never has its whole plan walked once per datagram.
class CBusTreeSync : public QObject {
    Q_OBJECT

public:
    CBusTreeSync(const CUbrixVorelDoc& doc, CBusTreeModel& model, QObject* parent = nullptr);

    // A hint of the document's: new devices or settings (bits 0 and 1) bring a pass, a plan
    // replaced or restructured (16) a pass that brings the tree to the plan, dropping what
    // the plan no longer has.
    void documentUpdated(quint32 hint);
    // The pass that is due, now.
    void syncNow();
    bool isPending() const { return m_pending; }

signals:
    void synced();

private:
    enum class Pass {
        Rebuild,         // the plan was replaced or restructured
        WholePlan,       // the tree never read the plan
        ChangedDevices,  // only what the drains since the last pass entered
    };

    void schedule();
    void settingEntered(const CEnteredSetting& setting);

    const CUbrixVorelDoc& m_doc;
    CBusTreeModel& m_model;
    bool m_pending = false;
    Pass m_pass = Pass::WholePlan;
    CBusTreeModel::DeviceKeys m_changed;
};
