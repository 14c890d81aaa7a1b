#include "core/project/CTemplateHistory.h"

void CTemplateHistory::clear() {
    m_edits.clear();
    m_done = 0;
    m_saved = 0;
}

void CTemplateHistory::forgetEdits() {
    clear();
    m_saved.reset();
}

void CTemplateHistory::push(CTemplateEdit edit) {
    m_edits.erase(m_edits.begin() + static_cast<std::ptrdiff_t>(m_done), m_edits.end());
    if (m_saved && *m_saved > m_done) {
        m_saved.reset();
    }
    m_edits.push_back(std::move(edit));
    ++m_done;
}

const CTemplateEdit* CTemplateHistory::undo() {
    if (!canUndo()) {
        return nullptr;
    }
    return &m_edits[--m_done];
}

const CTemplateEdit* CTemplateHistory::redo() {
    if (!canRedo()) {
        return nullptr;
    }
    return &m_edits[m_done++];
}
