#include "CSerialPort.h"

#include "CSerialWriter.h"

#include <QThread>

CSerialPort::CSerialPort(QObject* parent) : QObject(parent) {}

CSerialPort::~CSerialPort() {
    Close();
}

bool CSerialPort::OpenPort(const QString& devicePath, int baudRate) {
    if (m_open) {
        return false;
    }
    startWriter();
    bool opened = false;
    QMetaObject::invokeMethod(
        m_writer, [&] { opened = m_writer->open(devicePath, baudRate); },
        Qt::BlockingQueuedConnection);
    if (!opened) {
        stopWriter();
        return false;
    }
    m_open = true;
    m_devicePath = devicePath;
    return true;
}

void CSerialPort::send(const QByteArray& text) {
    if (!m_open) {
        return;
    }
    CSerialWriter* writer = m_writer;
    QMetaObject::invokeMethod(
        writer, [writer, text] { writer->write(text); }, Qt::QueuedConnection);
}

void CSerialPort::Close() {
    if (!m_thread) {
        return;
    }
    stopWriter();
    m_open = false;
    m_devicePath.clear();
}

void CSerialPort::startWriter() {
    m_thread = std::make_unique<QThread>();
    m_thread->setObjectName(QStringLiteral("SerialWriter"));
    m_writer = new CSerialWriter;
    m_writer->moveToThread(m_thread.get());
    connect(m_writer, &CSerialWriter::written, this, &CSerialPort::written);
    connect(m_writer, &CSerialWriter::writeFailed, this, &CSerialPort::writeFailed);
    m_thread->start();
}

void CSerialPort::stopWriter() {
    // Texts still queued are dropped, so stopping never waits on a stalled port for more
    // than the one write under way; the port closes on the writer's own thread.
    CSerialWriter* writer = m_writer;
    writer->requestStop();
    QMetaObject::invokeMethod(
        writer, [writer] { writer->close(); }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete writer;
    m_writer = nullptr;
    m_thread.reset();
}
