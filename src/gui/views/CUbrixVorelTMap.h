#pragma once

#include "core/bus/CBusAction.h"
#include "core/bus/CBusTreeModel.h"
#include "core/bus/CBusTreeSync.h"
#include "gui/base/CFormView.h"
#include "gui/base/CViewContext.h"

#include <memory>
#include <optional>

class CBusButtons;
class CBusPageList;
class CConfigTree;
class CPropertyList;

// The bus view ("KV network"): the gateways of the plan, the devices heard on each bus in
// ascending order of their number, and each device's sections; beside it the settings of
// the item clicked last. From here the user discovers gateways ("Ubrixs") and devices
// ("Devices"), gives a device its UID ("Set"), collects every device's settings ("Collect",
// which runs on the program's sequencer and outlives a switch to another view), edits them,
// makes a gateway or device identify itself, deletes entries from the plan, uploads LED
// presets and starts the firmware updater.
//
// What each action sends, changes and waits for is the core's (CBusActions, CBusRuns), worked
// out from what the selection stands for (CBusTarget); the view asks, confirms and shows.
class CUbrixVorelTMap : public CFormView {
    Q_OBJECT

public:
    explicit CUbrixVorelTMap(const CViewContext& context, QWidget* parent = nullptr);
    ~CUbrixVorelTMap() override;

    void OnInitialUpdate() override;
    void OnUpdate(quint32 hint) override;
    bool handlesCommand(int command) const override;
    void OnCommand(int command) override;

    // A left click on a tree item.
    void OnNMClickTree3(const QModelIndex& index);
    // "Ubrixs" (and Refresh on the root), "Devices", "Set" and "Collect".
    void OnDiscover();
    void OnRegister();
    void OnSetUid();
    void OnCollect();
    // The pop-up menu's commands and "Upload CMS File".
    void OnTmapRefresh();
    void OnTmapDelete();
    void OnTmapIdentify();
    void OnTmapUpdate();
    void OnTmapReplace();
    void OnUploadCmsFile();

    // The tree as this view holds it, and what keeps it following the plan.
    const CBusTreeModel& model() const { return m_model; }
    CBusTreeSync& treeSync() { return m_sync; }

private:
    void buildForm();
    const CBusTreeItem* selection() const;
    CBusTarget target() const;
    // Asks the action's question, carries the action out and shows what came of it; whether
    // it went ahead (its command, if any, left).
    bool carryOut(const CBusAction& action);
    void selectAwaited();
    void proposeUid(const CBusTreeItem* item);
    void logError(const char* handler) const;

    CViewContext m_context;
    CBusTreeModel m_model;
    CBusTreeSync m_sync;
    CConfigTree* m_tree = nullptr;
    CPropertyList* m_list = nullptr;
    std::unique_ptr<CBusPageList> m_page;
    CBusButtons* m_buttons = nullptr;
    // A device this view took out of the tree and that its own answers bring back: when it
    // is back, it is the selection again.
    std::optional<CBusAwaited> m_awaited;
};
