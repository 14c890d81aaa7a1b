#pragma once

#include <QDialog>

class QCheckBox;
class QTreeWidget;
struct CUploadSummary;

// The rows an upload is about to send, before anything is sent: per device, every visited
// setting with the project's value, what the device reported and what will happen (sent,
// with the exact command; already set; skipped, and why), and the devices that will not
// take part. "Upload" goes on, "Cancel" sends nothing. The pacing of the upload can be
// chosen here: as soon as each device has answered, or every pause waited out.
class CUploadPreviewDlg : public QDialog {
    Q_OBJECT

public:
    CUploadPreviewDlg(const CUploadSummary& preview, bool pacedByReplies,
                      QWidget* parent = nullptr);

    bool pacedByReplies() const;

private:
    QTreeWidget* m_rows;
    QCheckBox* m_pacedByReplies;
};
