#pragma once

#include "core/journal/CChangeJournal.h"

#include <QDialog>
#include <memory>
#include <optional>

class CMessageBoxNotifier;
class CReplacement;
class CReplacementProject;
class CTransportUploadLink;
class QLabel;
class QListWidget;
class QPushButton;
class QTreeWidget;
struct CViewContext;

// The bus view's "Replace device...": a new device in the place of the failed one with
// that UID, with the settings a chosen snapshot or project holds of it. The dialog shows
// which new device takes its place (the devices known only by serial number behind that
// gateway and not of another type, or the next one whose discover button is pressed) and
// what will be sent; "Replace" checks that the UID is silent, gives it to the new device
// and uploads, and one box tells how it ended. Stop, Esc and the close box end the run at
// once, and the dialog closes with it.
class CReplaceDeviceDlg : public QDialog {
    Q_OBJECT

public:
    CReplaceDeviceDlg(const CViewContext& context, quint32 gateway,
                      const CReplacementProject& project, QWidget* parent = nullptr);
    ~CReplaceDeviceDlg() override;

    // Asks for the file, then shows the dialog for the device with that UID behind gateway.
    static void open(const CViewContext& context, quint32 gateway, int uid, QWidget* parent);

    void reject() override;

private:
    void fillCandidates();
    void start();
    void finished();

    const CViewContext& m_context;
    quint32 m_gateway;
    const CReplacementProject& m_project;
    QLabel* m_stage;
    QListWidget* m_candidates;
    QTreeWidget* m_rows;
    QPushButton* m_replace;
    std::unique_ptr<CMessageBoxNotifier> m_notifier;
    std::unique_ptr<CTransportUploadLink> m_link;
    std::unique_ptr<CReplacement> m_replacement;
    std::unique_ptr<CChangeJournal::Activity> m_replacing;
};
