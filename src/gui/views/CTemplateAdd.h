#pragma once

#include "core/project/CProjectDevice.h"

#include <QDialog>
#include <optional>

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

    // The device OK added, once it has.
    const std::optional<CProjectDevice>& added() const { return m_added; }

public slots:
    void accept() override;

private:
    std::optional<CProjectDevice> m_added;
    CUbrixVorelDoc& m_doc;
    QString m_programFolder;
    QComboBox* m_models = nullptr;
};
