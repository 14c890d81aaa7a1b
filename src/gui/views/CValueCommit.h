#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class CPropertyList;
class CStatusLine;

// The commit of a view whose values go out at once (the gateway and bus views): a value
// changed in the property list is sent as a command to the page's device, and the plan
// changes only when the device's echo comes back. A value that is refused, or that does not
// leave, is put back to what the plan held when the page was last listed (the views list
// the page again when the plan changes), so that the list never shows what the device did
// not get. Each commit says in the status line what it sent to whom, or why nothing.
class CValueCommit {
public:
    // The page's command for a row's label and value; empty, with the reason in refusal (or
    // none to tell), when it may not go out.
    using Command =
        std::function<QByteArray(const QString& rowLabel, const QString& value, QString& refusal)>;
    // Sends the command to the page's device; false when it did not leave.
    using Send = std::function<bool(const QByteArray& command)>;
    // The form in which a typed value goes out and stays in its cell.
    using Form = std::function<QString(const QString& typed)>;

    CValueCommit(CPropertyList& list, Command command, Send send, Form form = {});
    // The commit of the page a view keeps in page: its command(rowLabel, value, refusal).
    template <class Page>
    CValueCommit(CPropertyList& list, const std::optional<Page>& page, Send send, Form form = {})
        : CValueCommit(
              list,
              [&page](const QString& rowLabel, const QString& value, QString& refusal) {
                  return page->command(rowLabel, value, refusal);
              },
              std::move(send), std::move(form)) {}

    // Where the commit says what it did, and how it names the page's device.
    void reportTo(CStatusLine& status, std::function<QString()> target);

    // The list shows a page: the values it shows now are what a refused one goes back to.
    void pageListed();
    // The list shows no page: a changed value goes nowhere.
    void pageCleared();
    // The end of an edit or a combo choice in the list.
    void commit(int row, int column);

private:
    void putBack(int row);
    void say(const QString& text) const;

    CPropertyList& m_list;
    Command m_command;
    Send m_send;
    Form m_form;
    bool m_listed = false;
    // The values of the page's rows as the plan held them when it was listed.
    QStringList m_shown;
    CStatusLine* m_status = nullptr;
    std::function<QString()> m_target;
};
