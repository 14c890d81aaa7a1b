#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <deque>
#include <future>
#include <memory>
#include <mutex>

class QSerialPort;

// Lives on the serial writer thread and owns the port there: every open, write and close
// happens on that one thread, one text at a time, in the order they were handed over.
// What crosses threads does so through this class's own lock, atomic and promise, never
// through data captured in a queued call, so the handover is plain to see (and to check
// with ThreadSanitizer, which cannot see inside Qt's queues).
class CSerialWriter : public QObject {
    Q_OBJECT

public:
    // The port to open once the writer's thread starts (openPort).
    CSerialWriter(QString devicePath, int baudRate);
    ~CSerialWriter() override;

    // From any thread.
    // Whether the port opened: waits until the writer has tried. Once only.
    bool waitUntilOpened() { return m_openedResult.get(); }
    // Queues a text; the writer's thread writes it on its next turn.
    void enqueue(const QByteArray& text);
    // Texts not yet written are dropped from now on.
    void requestStop();

public slots:
    // On the writer's thread, first thing.
    void openPort();
    // Writes every queued text. A text that cannot be written is dropped; the next one is
    // tried all the same.
    void drain();

signals:
    void written(qint64 bytes);
    void writeFailed(QString reason);

private:
    bool open();
    void write(const QByteArray& text);
    void close();

    const QString m_devicePath;
    const int m_baudRate;
    std::promise<bool> m_opened;
    std::future<bool> m_openedResult = m_opened.get_future();
    std::unique_ptr<QSerialPort> m_port;
    std::atomic<bool> m_stopping{false};
    std::mutex m_mutex;
    std::deque<QByteArray> m_queue;
};
