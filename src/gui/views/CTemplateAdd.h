#pragma once

#include <QDialog>

class CUbrixVorelDoc;
class QComboBox;

// "Add": the choice of a device model for the project. OK adds the chosen model through
// the document; when that fails (the user has been told why) the dialog stays open.
class CTemplateAdd : public QDialog {
    Q_OBJECT

public:
    static constexpr int kForm = 106;
    static constexpr int kModelList = 1051;

    CTemplateAdd(CUbrixVorelDoc& doc, const QString& programFolder, QWidget* parent = nullptr);

public slots:
    void accept() override;

private:
    CUbrixVorelDoc& m_doc;
    QString m_programFolder;
    QComboBox* m_models = nullptr;
};
