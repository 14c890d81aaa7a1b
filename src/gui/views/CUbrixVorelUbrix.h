#pragma once

#include "core/plan/CGatewayPage.h"
#include "core/plan/CGatewayTreeModel.h"
#include "gui/base/CFormView.h"
#include "gui/base/CViewContext.h"

#include <memory>
#include <optional>

class CConfigTree;
class CPropertyList;
class CValueCommit;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTreeView;

// The gateway configuration view: a tree of the gateways the plan knows with their
// settings sections, and beside it the settings of the item clicked last. A changed value
// is sent to the gateway at once; the plan changes only when the gateway's echo comes
// back, and the tree follows. "Ubrixs" (or Refresh) forgets every gateway of the plan,
// including the bus devices registered behind them (only a new registration brings those
// back), and asks all gateways to report; "Restart" restarts the gateway of the selection.
//
// Tree items carry their role, their gateway's address and their kind (which is also
// their icon, CGatewayTreeItem); the page listed last remembers where its values go.
class CUbrixVorelUbrix : public CFormView {
    Q_OBJECT

public:
    static constexpr int kRowHeight = 18;
    // The refresh's run, which outlives a view switch in its pause.
    static constexpr const char* kRefreshRun = "gateways.refresh";
    // "%1" names the gateway: "Hall North (10.0.0.7)".
    static constexpr const char* kConfirmRestart =
        "Restart %1? Its bus devices stop answering until it is back.";

    explicit CUbrixVorelUbrix(const CViewContext& context, QWidget* parent = nullptr);
    ~CUbrixVorelUbrix() override;

    void OnInitialUpdate() override;
    void OnUpdate(quint32 hint) override;

    // A left click on a tree item (an index of the tree's own model): lists its page.
    void OnNMClickTree2(const QModelIndex& index);
    // "Ubrixs" and the pop-up's Refresh.
    void OnUbrixRefresh();
    // "Restart".
    void OnUbrixReset();
    // The end of an edit or a combo choice in the property list.
    void commit(int row, int column);

private:
    void buildForm();
    void rebuild();
    void clearPage();
    // The plan changed: the page shown follows it (a list being edited waits for the next
    // change, so that nobody's typing is lost).
    void followPage();
    void say(const QString& text) const;
    // After a restart: the gateway is asked for its name until it is back.
    void awaitReturn(quint32 address, const QString& name);
    void showNote(const QString& note);
    void showPopup(const QPoint& position);
    void logError(const char* handler) const;

    CViewContext m_context;
    CGatewayTreeModel m_model;
    CConfigTree* m_tree = nullptr;
    CPropertyList* m_list = nullptr;
    QGroupBox* m_discover = nullptr;
    QPushButton* m_ubrixs = nullptr;
    QPushButton* m_restart = nullptr;
    QLineEdit* m_note = nullptr;
    std::unique_ptr<CValueCommit> m_commit;
    std::optional<CGatewayPage> m_page;
    // The item the page was listed for, to list it again when the plan changes.
    CGatewayPage::Item m_pageItem;
};
