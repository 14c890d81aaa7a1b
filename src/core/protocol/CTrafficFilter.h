#pragma once

#include <QByteArrayView>
#include <QString>

// Which traffic lines a filter text lets through: those whose sender or text, read as
// the traffic view shows them, contains it, whatever the case. An empty filter lets
// every line through.
class CTrafficFilter {
public:
    CTrafficFilter() = default;
    explicit CTrafficFilter(QString text) : m_text(std::move(text)) {}

    bool isEmpty() const { return m_text.isEmpty(); }
    const QString& text() const { return m_text; }
    bool matches(QByteArrayView line) const;

private:
    QString m_text;
};
