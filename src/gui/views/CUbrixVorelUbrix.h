#pragma once

#include "app/CFormView.h"
#include "app/CViewContext.h"
#include "plan/CGatewayPage.h"

#include <QMenu>
#include <QPointer>
#include <memory>
#include <optional>

class CPropertyList;
class ITickTimer;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The gateway configuration view: a tree of the gateways the plan knows with their
// settings sections, and beside it the settings of the item clicked last. A changed value
// is sent to the gateway at once; the plan changes only when the gateway's echo comes
// back, and the tree follows. "Ubrixs" (or Refresh) forgets every gateway of the plan,
// including the bus devices registered behind them (only a new registration brings those
// back), and asks all gateways to report; "Restart" restarts the gateway of the selection.
//
// Tree items carry their role, their gateway's address and their kind (which is also
// their icon); the page listed last remembers where its values go.
class CUbrixVorelUbrix : public CFormView {
    Q_OBJECT

public:
    enum class Role { Root, Gateway, Section, Subsection };
    static constexpr int kRoleData = Qt::UserRole;
    static constexpr int kAddressData = Qt::UserRole + 1;
    static constexpr int kKindData = Qt::UserRole + 2;

    static constexpr const char* kLanRoot = "LAN network";
    static constexpr const char* kBusRoot = "KV network";
    static constexpr const char* kFirewallBlocked = "UDP Ports are blocked by firewall";
    static constexpr int kRowHeight = 18;
    static constexpr std::chrono::milliseconds kFirewallWait{4000};
    // The refresh's run, which outlives a view switch in its pause.
    static constexpr const char* kRefreshRun = "gateways.refresh";

    explicit CUbrixVorelUbrix(const CViewContext& context, QWidget* parent = nullptr);
    ~CUbrixVorelUbrix() override;

    void OnInitialUpdate() override;
    void OnUpdate(quint32 hint) override;

    // A left click on a tree item: lists its page.
    void OnNMClickTree2(QTreeWidgetItem* item);
    // "Ubrixs" and the pop-up's Refresh.
    void OnUbrixRefresh();
    // "Restart".
    void OnUbrixReset();
    // The end of an edit or a combo choice in the property list.
    void commit(int row, int column);

    QTreeWidget* tree() const { return m_tree; }
    CPropertyList* propertyList() const { return m_list; }
    QPushButton* ubrixsButton() const { return m_ubrixs; }
    QPushButton* restartButton() const { return m_restart; }
    QLineEdit* restartNote() const { return m_note; }
    QMenu* popupMenu() const { return m_popup; }
    const std::optional<CGatewayPage>& page() const { return m_page; }

private:
    void buildForm();
    void resetTree(const char* rootLabel);
    void addMissingItems();
    void rebuild();
    QTreeWidgetItem* root() const;
    QTreeWidgetItem* gatewayItem(quint32 address) const;
    QTreeWidgetItem* addItem(QTreeWidgetItem* parent, const QString& label, Role role,
                             quint32 address, int kind);
    static QTreeWidgetItem* childLabelled(const QTreeWidgetItem* parent, const QString& label);
    void clearPage();
    void showNote(const QString& note);
    void showPopup(const QPoint& position);
    void onFirewallTimer();
    void putBack(int row);
    void logError(const char* handler) const;

    CViewContext m_context;
    QTreeWidget* m_tree = nullptr;
    CPropertyList* m_list = nullptr;
    QGroupBox* m_discover = nullptr;
    QPushButton* m_ubrixs = nullptr;
    QPushButton* m_restart = nullptr;
    QLineEdit* m_note = nullptr;
    QPointer<QMenu> m_popup;
    std::unique_ptr<ITickTimer> m_firewallTimer;
    std::optional<CGatewayPage> m_page;
};
