#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
struct CViewContext;

// File > Site Report...: the hand-over report of what the site reported in this session
// (the plan), with what differs from the open project and the changes of the journal when
// asked for, as HTML or PDF (by the name chosen). Credentials read "(set)" or "(empty)"
// unless the box asks for them.
class CSiteReportDlg : public QDialog {
    Q_OBJECT

public:
    CSiteReportDlg(const CViewContext& context, QWidget* parent = nullptr);

    // Asks for the options and the file, and writes the report; says what became of it.
    static void open(const CViewContext& context, QWidget* parent);
    // Writes the report as the dialog's options say; why not, or nothing.
    QString write(const QString& path) const;

private:
    QString journalPath() const;

    const CViewContext& m_context;
    QLineEdit* m_title;
    QCheckBox* m_withSecrets;
    QCheckBox* m_withProject;
    QCheckBox* m_withJournal;
};
