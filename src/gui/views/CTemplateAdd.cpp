#include "gui/views/CTemplateAdd.h"

#include "core/common/CXmlError.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/plan/CModelTemplates.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QVBoxLayout>

CTemplateAdd::CTemplateAdd(CUbrixVorelDoc& doc, const QString& programFolder, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_programFolder(programFolder) {
    setWindowTitle(QStringLiteral("Add"));
    m_models = new QComboBox(this);
    m_models->setObjectName(QStringLiteral("control%1").arg(kModelList));
    for (const CModelTemplates::Model& model : CModelTemplates::models()) {
        m_models->addItem(QString::fromLatin1(model.caption));
    }
    m_models->setCurrentIndex(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CTemplateAdd::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CTemplateAdd::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_models);
    layout->addWidget(buttons);
}

void CTemplateAdd::accept() {
    try {
        m_added = m_doc.addTemplateModel(m_models->currentIndex(), m_programFolder);
        if (m_added) {
            QDialog::accept();
        }
    } catch (const CXmlError&) {
        m_doc.writeErrorLog("Error in CTemplateAdd::OnOK()");
    }
}
