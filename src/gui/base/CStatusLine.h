#pragma once

#include <QObject>
#include <QString>

// The one line of the status bar that every action writes: what it sent to whom, or why it
// sent nothing. It outlives the views, which are made anew at every switch, and the main
// frame shows what it says.
class CStatusLine : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    void say(const QString& text);
    const QString& text() const { return m_text; }

signals:
    void said(const QString& text);

private:
    QString m_text;
};
