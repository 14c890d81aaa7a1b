#include "core/project/CProject.h"

#include "core/common/CXmlError.h"

void CProject::replace(std::unique_ptr<pugi::xml_document> document, const QString& path) {
    m_document = std::move(document);
    m_path = path;
    m_history.clear();
}

void CProject::savedAs(const QString& path) {
    m_path = path;
    m_history.markSaved();
}

void CProject::apply(const CTemplateEdit& edit) {
    if (!m_document) {
        throw CXmlError("there is no project");
    }
    edit.apply(*m_document);
    m_history.push(edit);
}

const CTemplateEdit* CProject::undo() {
    const CTemplateEdit* edit = m_document ? m_history.undo() : nullptr;
    try {
        if (edit != nullptr) {
            edit->revert(*m_document);
        }
    } catch (const CXmlError&) {
        m_history.forgetEdits();
        throw;
    }
    return edit;
}

const CTemplateEdit* CProject::redo() {
    const CTemplateEdit* edit = m_document ? m_history.redo() : nullptr;
    try {
        if (edit != nullptr) {
            edit->apply(*m_document);
        }
    } catch (const CXmlError&) {
        m_history.forgetEdits();
        throw;
    }
    return edit;
}
