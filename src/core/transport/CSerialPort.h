#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

class CSerialWriter;
class QThread;

// The gateway's USB virtual serial port with its writer thread. Texts handed to send()
// are written by the writer, in order, without blocking the caller. The port is closed
// and the writer stopped by Close() or, at the latest, by the destructor.
class CSerialPort : public QObject {
    Q_OBJECT

public:
    static constexpr int kBaudRate = 57600;

    explicit CSerialPort(QObject* parent = nullptr);
    ~CSerialPort() override;

    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Opens the device at baudRate, 8 data bits, no parity, one stop bit, and starts the
    // writer. False if this port is open already or the device cannot be opened.
    bool OpenPort(const QString& devicePath, int baudRate = kBaudRate);
    bool isOpen() const { return m_open; }
    QString devicePath() const { return m_devicePath; }
    // Queues a text for the writer; ignored while the port is closed.
    void send(const QByteArray& text);
    void Close();

signals:
    // From the writer thread: one text has gone out, or could not.
    void written(qint64 bytes);
    void writeFailed(QString reason);

private:
    void startWriter(const QString& devicePath, int baudRate);
    void stopWriter();

    std::unique_ptr<QThread> m_thread;
    CSerialWriter* m_writer = nullptr;
    bool m_open = false;
    QString m_devicePath;
};
