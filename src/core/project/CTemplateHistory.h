#pragma once

#include "core/project/CTemplateEdit.h"

#include <cstddef>
#include <optional>
#include <vector>

// The edits of a project in the order they were done, with how far they are undone and
// which state was last saved: the project's undo and redo, and its unsaved-changes mark.
class CTemplateHistory {
public:
    // Forgets every edit; the state now is the saved one.
    void clear();
    // Forgets every edit when they no longer fit the project, which then counts as unsaved.
    void forgetEdits();
    // Records an edit that was just done; what could have been redone is forgotten.
    void push(CTemplateEdit edit);
    // The edit to revert (undo) or to apply again (redo), moving the position; null when
    // there is none.
    const CTemplateEdit* undo();
    const CTemplateEdit* redo();

    // The edit undo() or redo() would take, without moving; null when there is none.
    const CTemplateEdit* nextUndo() const { return canUndo() ? &m_edits[m_done - 1] : nullptr; }
    const CTemplateEdit* nextRedo() const { return canRedo() ? &m_edits[m_done] : nullptr; }

    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < m_edits.size(); }

    void markSaved() { m_saved = m_done; }
    bool isModified() const { return m_saved != m_done; }

private:
    std::vector<CTemplateEdit> m_edits;
    std::size_t m_done = 0;
    // None once the saved state was undone and other edits took its place.
    std::optional<std::size_t> m_saved = 0;
};
