#pragma once

#include "gui/base/CFormView.h"
#include "gui/base/CViewContext.h"
#include "gui/views/CDestinationList.h"

class CTrafficListModel;
class MyEdit;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListView;
class QListWidget;
class QPushButton;

// The traffic view: every received line, a command box that sends to one gateway or to
// all, the gateways of the plan, and their rediscovery. The program's first view. For
// watching a busy site the list has tools of its own: a filter, Pause, Find, copying the
// selected lines (Ctrl+C) and File > Export traffic; the filter, Find and Export go
// through the whole session the document keeps, not only the lines the list shows.
class CUbrixVorelView : public CFormView {
    Q_OBJECT

public:
    // Where the traffic list keeps its distance from the view's right and bottom edges.
    static constexpr int kRightGap = 24;
    static constexpr int kBottomGap = 17;

    CUbrixVorelView(const CViewContext& context, QWidget* parent = nullptr);
    ~CUbrixVorelView() override;

    void OnInitialUpdate() override;
    void OnUpdate(quint32 hint) override;
    bool handlesCommand(int command) const override;
    void OnCommand(int command) override;

    // Send, as the "Send" button and Enter in the command box do (UMW_VIEW_SEND).
    void OnViewSend();
    // The pop-up commands.
    void OnTrafficClear();
    void OnGatewaysRefresh();
    // The list's own tools.
    void OnPauseToggled(bool paused);
    void OnFind(bool forward);
    void OnCopyLines();
    void OnExportTraffic();

    QString rememberedDestination() const { return m_remembered; }
    // The pop-up menu shown last, while it is open.

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* buildHeader();
    QWidget* buildTrafficTools();
    void appendNewestLine();
    void showPaused(bool paused);
    void rebuildLists();
    void fillThisComputer();
    void followRendering();
    void showPopup(int resource, QWidget* owner, const QPoint& position);
    void onPopupCommand(int command);
    void layoutTrafficList();

    CViewContext m_context;
    QString m_remembered;

    QWidget* m_header = nullptr;
    QWidget* m_tools = nullptr;
    QLineEdit* m_filter = nullptr;
    QPushButton* m_pause = nullptr;
    QLineEdit* m_find = nullptr;
    QPushButton* m_findNext = nullptr;
    QPushButton* m_findPrevious = nullptr;
    QLineEdit* m_thisComputer = nullptr;
    QListWidget* m_gateways = nullptr;
    QLineEdit* m_nic = nullptr;
    QGroupBox* m_sendGroup = nullptr;
    QComboBox* m_destinations = nullptr;
    MyEdit* m_message = nullptr;
    QPushButton* m_send = nullptr;
    QListView* m_traffic = nullptr;
    CTrafficListModel* m_model = nullptr;
};
