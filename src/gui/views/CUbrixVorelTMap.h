#pragma once

#include "core/bus/CBusPage.h"
#include "core/bus/CBusTreeModel.h"
#include "core/bus/CBusTreeSync.h"
#include "core/sequence/CSequenceRun.h"
#include "gui/base/CFormView.h"
#include "gui/base/CViewContext.h"

#include <QMenu>
#include <QPointer>
#include <chrono>
#include <memory>
#include <optional>
#include <set>

class CConfigTree;
class CPropertyList;
class CSequenceRun;
class CValueCommit;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeView;

// The bus view ("KV network"): the gateways of the plan, the devices heard on each bus in
// ascending order of their number, and each device's sections; beside it the settings of
// the item clicked last. From here the user discovers gateways ("Ubrixs") and devices
// ("Devices"), gives a device its UID ("Set"), collects every device's settings ("Collect",
// which runs on the program's sequencer and outlives a switch to another view), edits them,
// makes a gateway or device identify itself, deletes entries from the plan, uploads LED
// presets and starts the firmware updater.
//
// An item's role and identity decide what acts on it (CBusTreeItem): a device is its
// attribute and its number, so "SN 812" and "UID 812" are never taken for each other. A
// command that changes the plan is sent first; when the send fails, nothing changes.
class CUbrixVorelTMap : public CFormView {
    Q_OBJECT

public:
    static constexpr const char* kSelectFirst = "Select the serial number or Ubrix first";
    static constexpr const char* kPressDiscovery = "Press Discovery Button on device to set";
    static constexpr const char* kSelectLed = "Select an LED";
    static constexpr const char* kSelectDevice = "Select the device to replace (one with a UID)";
    static constexpr const char* kConfirmDeleteAll =
        "Remove every gateway and device from the map? Nothing is saved until you save the map "
        "file.";
    // "%1" is the UID, "%2" the gateway.
    static constexpr const char* kConfirmDuplicateUid =
        "A device behind %2 already has UID %1. Give it to another device all the same?";
    static constexpr int kUidFieldLength = 6;
    static constexpr int kRowHeight = 18;
    // The discovery's run, which outlives a view switch in its pause.
    static constexpr const char* kDiscoveryRun = "bus.discover";

    explicit CUbrixVorelTMap(const CViewContext& context, QWidget* parent = nullptr);
    ~CUbrixVorelTMap() override;

    void OnInitialUpdate() override;
    void OnUpdate(quint32 hint) override;
    bool handlesCommand(int command) const override;
    void OnCommand(int command) override;

    // A left click on a tree item.
    void OnNMClickTree3(const QModelIndex& index);
    // The end of an edit or a combo choice in the property list.
    void commit(int row, int column);
    // "Ubrixs", and Refresh on the root.
    void OnDiscover();
    // "Devices".
    void OnRegister();
    // "Set".
    void OnSetUid();
    // "Collect".
    void OnCollect();
    // The pop-up menu's commands and "Upload CMS File".
    void OnTmapRefresh();
    void OnTmapDelete();
    void OnTmapIdentify();
    void OnTmapUpdate();
    void OnTmapReplace();
    void OnUploadCmsFile();

    QTreeView* tree() const;
    const CBusTreeModel& model() const { return m_model; }
    CBusTreeSync& treeSync() { return m_sync; }
    CPropertyList* propertyList() const { return m_list; }
    QPushButton* ubrixsButton() const { return m_ubrixs; }
    QPushButton* devicesButton() const { return m_devices; }
    QPushButton* setButton() const { return m_set; }
    QLineEdit* uidField() const { return m_uid; }
    QPushButton* collectButton() const { return m_collect; }
    QPushButton* stopButton() const { return m_stop; }
    QProgressBar* progressBar() const { return m_progress; }
    QMenu* popupMenu() const { return m_popup; }
    const std::optional<CBusPage>& page() const { return m_page; }
    // Makes the item the tree's selection, as a click does (without listing it).
    void select(const CBusTreeItem* item);

    // A device that this view took out of the tree and that its own answers bring back: a
    // device given its UID, or one refreshed. When it is back, it is the selection again.
    struct Awaited {
        QByteArray gateway;
        QByteArray attribute;
        quint32 number = 0;
    };

private:
    void buildForm();
    const CBusTreeItem* selection() const;
    void clearPage();
    void showPopup(const QPoint& position);
    void attachCollection(CSequenceRun* run);
    void collectionEnded(CSequenceRun::Outcome outcome);
    // Removes the device from the plan and from the tree, under every gateway.
    void deleteDevice(QByteArrayView attribute, quint32 number);
    void awaitDevice(Awaited device);
    void selectAwaited();
    bool confirmUid(int uid, const CBusTreeItem& gateway);
    // The UID field proposes the lowest UID free behind the gateway of item.
    void proposeUid(const CBusTreeItem* item, const std::set<quint32>& alsoTaken = {});
    // The plan changed: the page of the selection follows it.
    void followPage();
    void listPage(CBusPage page);
    void say(const QString& text) const;
    // "Action: nothing sent, why"
    void sayNothingSent(const char* action, const QString& why) const;
    // "Action: sent COMMAND to WHO.", or "Action: COMMAND could not be sent to WHO."
    void saySent(const char* action, QByteArrayView command, bool sent, const QString& to) const;
    QString gatewayName(quint32 address) const;
    // "UID 5 behind Hall North (10.0.0.7)"
    QString deviceName(const CBusTreeItem& device) const;
    bool send(QByteArrayView text, quint32 address);
    void logError(const char* handler) const;

    CViewContext m_context;
    CBusTreeModel m_model;
    CBusTreeSync m_sync;
    CConfigTree* m_tree = nullptr;
    CPropertyList* m_list = nullptr;
    QPushButton* m_ubrixs = nullptr;
    QPushButton* m_devices = nullptr;
    QPushButton* m_set = nullptr;
    QLineEdit* m_uid = nullptr;
    QPushButton* m_collect = nullptr;
    QPushButton* m_stop = nullptr;
    QProgressBar* m_progress = nullptr;
    QPointer<QMenu> m_popup;
    QPointer<CSequenceRun> m_collection;
    std::unique_ptr<CValueCommit> m_commit;
    std::optional<CBusPage> m_page;
    std::optional<Awaited> m_awaited;
};
