#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>

class QSerialPort;

// Lives on the serial writer thread and owns the port there: every open, write and close
// happens on that one thread, one text at a time, in the order they were handed over.
class CSerialWriter : public QObject {
    Q_OBJECT

public:
    explicit CSerialWriter(QObject* parent = nullptr);
    ~CSerialWriter() override;

    // From any thread: texts not yet written are dropped from now on.
    void requestStop() { m_stopping.store(true); }

public slots:
    bool open(const QString& devicePath, int baudRate);
    // A text that cannot be written is dropped; the next one is tried all the same.
    void write(const QByteArray& text);
    void close();

signals:
    void written(qint64 bytes);
    void writeFailed(QString reason);

private:
    std::unique_ptr<QSerialPort> m_port;
    std::atomic<bool> m_stopping{false};
};
