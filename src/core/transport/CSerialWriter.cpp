#include "core/transport/CSerialWriter.h"

#include <QSerialPort>

namespace {

// How long one text may take to leave; a gateway that stops reading must not stall the
// writer for ever.
constexpr int kWriteTimeoutMs = 2000;

bool configure(QSerialPort& port, int baudRate) {
    const bool framed = port.setBaudRate(baudRate) && port.setDataBits(QSerialPort::Data8) &&
                        port.setParity(QSerialPort::NoParity) &&
                        port.setStopBits(QSerialPort::OneStop) &&
                        port.setFlowControl(QSerialPort::NoFlowControl);
    // The gateway ignores the modem lines; a port without them (a pseudo-terminal)
    // refuses this, which is no reason to give up the port.
    port.setRequestToSend(false);
    port.clearError();
    return framed;
}

}  // namespace

CSerialWriter::CSerialWriter(QString devicePath, int baudRate)
    : m_devicePath(std::move(devicePath)), m_baudRate(baudRate) {}

CSerialWriter::~CSerialWriter() {
    // The other side's last touches (enqueue, requestStop) are made under the lock: taking
    // it here orders them before the writer goes, in a way ThreadSanitizer sees too.
    const std::lock_guard lock(m_mutex);
    close();
}

void CSerialWriter::openPort() {
    m_opened.set_value(open());
}

bool CSerialWriter::open() {
    m_port = std::make_unique<QSerialPort>();
    m_port->setPortName(m_devicePath);
    if (!m_port->open(QIODevice::ReadWrite)) {
        m_port.reset();
        return false;
    }
    if (!configure(*m_port, m_baudRate)) {
        m_port->close();
        m_port.reset();
        return false;
    }
    return true;
}

void CSerialWriter::enqueue(const QByteArray& text) {
    const std::lock_guard lock(m_mutex);
    m_queue.push_back(text);
    // Called by name, so that nothing of the caller's travels in Qt's queue.
    QMetaObject::invokeMethod(this, "drain", Qt::QueuedConnection);
}

void CSerialWriter::requestStop() {
    const std::lock_guard lock(m_mutex);
    m_stopping.store(true);
}

void CSerialWriter::drain() {
    std::deque<QByteArray> texts;
    {
        const std::lock_guard lock(m_mutex);
        texts.swap(m_queue);
    }
    for (const QByteArray& text : texts) {
        write(text);
    }
}

void CSerialWriter::write(const QByteArray& text) {
    if (m_stopping.load()) {
        return;
    }
    if (!m_port || !m_port->isOpen()) {
        emit writeFailed(QStringLiteral("port closed"));
        return;
    }
    if (m_port->write(text) != text.size()) {
        m_port->clearError();
        emit writeFailed(m_port->errorString());
        return;
    }
    while (m_port->bytesToWrite() > 0) {
        if (!m_port->waitForBytesWritten(kWriteTimeoutMs)) {
            const QString reason = m_port->errorString();
            m_port->clear(QSerialPort::Output);
            m_port->clearError();
            emit writeFailed(reason);
            return;
        }
    }
    emit written(text.size());
}

void CSerialWriter::close() {
    if (m_port) {
        m_port->close();
        m_port.reset();
    }
}
