#include "core/transport/CSerialPort.h"

#include "core/transport/CSerialWriter.h"

#include <QThread>

CSerialPort::CSerialPort(QObject* parent) : QObject(parent) {}

CSerialPort::~CSerialPort() {
    Close();
}

bool CSerialPort::OpenPort(const QString& devicePath, int baudRate) {
    if (m_open) {
        return false;
    }
    startWriter(devicePath, baudRate);
    if (!m_writer->waitUntilOpened()) {
        stopWriter();
        return false;
    }
    m_open = true;
    m_devicePath = devicePath;
    return true;
}

void CSerialPort::send(const QByteArray& text) {
    if (m_open) {
        m_writer->enqueue(text);
    }
}

void CSerialPort::Close() {
    if (!m_thread) {
        return;
    }
    stopWriter();
    m_open = false;
    m_devicePath.clear();
}

// The writer opens the port first thing on its own thread and goes with that thread: from
// then on this side only hands it texts and the request to stop.
void CSerialPort::startWriter(const QString& devicePath, int baudRate) {
    m_thread = std::make_unique<QThread>();
    m_thread->setObjectName(QStringLiteral("SerialWriter"));
    m_writer = new CSerialWriter(devicePath, baudRate);
    m_writer->moveToThread(m_thread.get());
    connect(m_thread.get(), &QThread::started, m_writer, &CSerialWriter::openPort,
            Qt::DirectConnection);
    connect(m_thread.get(), &QThread::finished, m_writer, &QObject::deleteLater);
    connect(m_writer, &CSerialWriter::written, this, &CSerialPort::written);
    connect(m_writer, &CSerialWriter::writeFailed, this, &CSerialPort::writeFailed);
    m_thread->start();
}

void CSerialPort::stopWriter() {
    // Texts still queued are dropped, so stopping never waits on a stalled port for more
    // than the one write under way; the port closes, and the writer goes, on the writer's
    // own thread as it ends.
    m_writer->requestStop();
    m_thread->quit();
    m_thread->wait();
    m_writer = nullptr;
    m_thread.reset();
}
