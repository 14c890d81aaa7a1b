#pragma once

#include "core/project/CProjectTreeModel.h"
#include "gui/base/CFormView.h"
#include "gui/base/CViewContext.h"

#include <QPointer>
#include <QtGlobal>
#include <functional>
#include <optional>

class CConfigTree;
class CPropertyList;
class QAction;
class QButtonGroup;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTreeView;

// The device map view (View > Project): the editor of the project. The tree shows its
// bus devices ("Devices") or its gateways ("Ubrix"); a click lists the settings of a
// section beside it, where they can be changed. Add, Copy, Delete, Change Address and the
// settings change the project only, through the document, and each can be undone by the
// frame's Edit menu; nothing is sent from here. "UpLoad" starts the upload
// of the shown mode once the program has one.
class CUbrixVorelMap : public CFormView {
    Q_OBJECT

public:
    // Starts the upload of a map mode, modally with the view as parent; null while the
    // program has none, which leaves "UpLoad" disabled.
    using UploadStarter = std::function<void(int mapMode, QWidget* parent)>;

    static constexpr int kForm = 132;
    static constexpr int kRowHeight = 17;

    CUbrixVorelMap(const CViewContext& context, UploadStarter upload = {},
                   QWidget* parent = nullptr);
    ~CUbrixVorelMap() override;

    void OnInitialUpdate() override;
    void OnUpdate(quint32 hint) override;

    void OnBnClickedButtonAdd();
    void OnBnClickedButtonCopy();
    void OnBnClickedButtonDelete();
    void OnBnClickedButtonUpload();
    void OnMapChangeAddress();

    // Selects the item (an index of the tree's own model) and lists its settings, as a left
    // click on it does.
    void OnNMClickTree1(const QModelIndex& index);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildForm();
    void connectForm();
    void selectMode(int mode);
    void rebuildTree(quint32 hint);
    void selectAnnounced(quint32 hint);
    // The device item of the selection; null for the root or no selection.
    const CProjectTreeItem* selectedDeviceItem() const;
    // Selects the device's item and lists its settings.
    void selectDevice(const CProjectDevice& device);
    void changeAddress(const CProjectDevice& device, const QString& typed);
    void onAddressTyped(const QModelIndex& index, const QString& text);
    void onContextMenu(const QPoint& position);
    void onTemplateChanged();
    void listPage(const CProjectPlace& place);
    void relistPage();
    // The end of a value's edit, or a combo's choice: the value goes into the project.
    void OnListEditEnd(int row, int column);
    void updateCommands();
    void logError(const char* handler);

    CViewContext m_context;
    UploadStarter m_startUpload;
    CProjectTreeModel m_model;
    CConfigTree* m_tree = nullptr;
    CPropertyList* m_list = nullptr;
    QRadioButton* m_devices = nullptr;
    QRadioButton* m_ubrix = nullptr;
    QButtonGroup* m_modes = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_copy = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_upload = nullptr;
    QLineEdit* m_fileName = nullptr;
    QMenu* m_menu = nullptr;
    // The page the property list shows: where its values are written, whatever the tree's
    // selection has become since.
    std::optional<CProjectPlace> m_listed;
    // While an address changes: the tree is brought to the project once the device's item
    // has its new address.
    bool m_readdressing = false;
};
