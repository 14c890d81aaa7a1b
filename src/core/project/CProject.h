#pragma once

#include "core/project/CTemplateHistory.h"

#include <QString>
#include <memory>
#include <pugixml.hpp>

// The project being edited (the template): its document, the path it was opened from and
// the edits done since, which can be undone and done again. It changes only through
// apply(), undo() and redo(), which keeps the history true.
class CProject {
public:
    // The path of a project that has no file of its own yet.
    static constexpr const char* kUntitled = "Template";

    bool exists() const { return m_document != nullptr; }
    const pugi::xml_document* document() const { return m_document.get(); }
    const QString& path() const { return m_path; }
    // Whether the project was opened from or saved to a file of its own.
    bool hasFile() const { return m_path != QLatin1String(kUntitled); }
    // The project was saved under path, which is its file from now on.
    void savedAs(const QString& path);

    // A project opened, or begun afresh: its history starts here, as saved.
    void replace(std::unique_ptr<pugi::xml_document> document, const QString& path);

    // Does the edit and records it. Raises CXmlError, recording nothing, when the document
    // refuses it.
    void apply(const CTemplateEdit& edit);
    // The edit that was undone, or done again; null when there was none. Raises CXmlError
    // when the document refuses, and then forgets the whole history, which no longer fits.
    const CTemplateEdit* undo();
    const CTemplateEdit* redo();

    const CTemplateEdit* nextUndo() const { return m_history.nextUndo(); }
    const CTemplateEdit* nextRedo() const { return m_history.nextRedo(); }
    bool canUndo() const { return m_history.canUndo(); }
    bool canRedo() const { return m_history.canRedo(); }
    bool isModified() const { return m_history.isModified(); }
    void markSaved() { m_history.markSaved(); }

private:
    std::unique_ptr<pugi::xml_document> m_document;
    QString m_path = QString::fromLatin1(kUntitled);
    CTemplateHistory m_history;
};
