#pragma once

#include "core/site/CSiteDifference.h"

#include <QDialog>
#include <vector>

class QLabel;
class QTreeWidget;
struct CViewContext;

// File > Compare with Snapshot...: what the site reported in this session (the plan)
// against a snapshot the user picks, laid out as the upload preview is: per gateway and
// device, each difference with the snapshot's value and this session's.
class CSnapshotCompareDlg : public QDialog {
    Q_OBJECT

public:
    CSnapshotCompareDlg(const std::vector<CSiteDifference>& differences, const QString& heading,
                        QWidget* parent = nullptr);

    // Asks for the snapshot, compares and shows the result; a file that cannot be read is
    // said so instead.
    static void open(const CViewContext& context, QWidget* parent);

private:
    QLabel* m_heading;
    QTreeWidget* m_rows;
};
