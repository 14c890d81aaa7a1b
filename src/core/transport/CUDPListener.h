#pragma once

#include "core/transport/CFileDescriptor.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>
#include <QTime>
#include <atomic>
#include <memory>
#include <thread>

class CInboundQueue;
class IClock;

// The receive thread. It listens on the receive port of every address, stamps each
// datagram into a traffic line and pushes it onto the document's inbound queue. It never
// shows anything and never parses a reply: it only queues and signals, and whoever lives
// on the GUI thread reacts (queued connections).
//
// No datagram a peer sends can end reception: a datagram longer than the receive buffer
// is cut to it, and binary or empty datagrams are taken or skipped like any other.
class CUDPListener : public QObject {
    Q_OBJECT

public:
    static constexpr int kBufferSize = 256;
    static constexpr const char* kProbeText = "Firewall?";
    static constexpr const char* kUnableToCreateSocket = "Unable to create socket";
    static constexpr const char* kPortInUse =
        "IP Port is already in use\nPossible multiple Vorel running";
    // "%d" is the system's error number.
    static constexpr const char* kReceiveFailed = "Error:%d  recvfrom() failed";

    // adapterAddress is kept for whoever asks; the socket listens on every address, as
    // broadcasts reach it only that way.
    CUDPListener(int port, quint32 adapterAddress, CInboundQueue& queue,
                 std::atomic<bool>& firewallSuspect, IClock& clock, QObject* parent = nullptr);
    ~CUDPListener() override;

    CUDPListener(const CUDPListener&) = delete;
    CUDPListener& operator=(const CUDPListener&) = delete;

    // Creates and binds the socket on the calling thread, so that nothing sent after
    // Start() returns can be missed, then runs the receive loop on a thread of its own.
    // On failure emits failed() with the message and returns false.
    bool Start();
    // Ends the receive thread and closes the socket. Returns promptly whatever the
    // thread is doing; safe to call twice and after the thread ended by itself.
    void StopReceiver();

    bool isRunning() const;
    int port() const { return m_port; }
    quint32 adapterAddress() const { return m_adapterAddress; }
    quint64 datagramsReceived() const { return m_received.load(std::memory_order_relaxed); }
    quint64 datagramsCut() const { return m_cut.load(std::memory_order_relaxed); }

signals:
    // A traffic line was pushed onto the inbound queue: once per line, emitted on this
    // object's own thread (the GUI thread). The receive thread wakes that thread once for
    // a whole burst of lines rather than once a line.
    void rxQueued();
    // A text beginning with "[": for the trace window only, never queued.
    void rxBracket(QByteArray text);
    // A text beginning with "!": for the keypads; it is queued as well.
    void rxBang(QByteArray text);
    // Reception could not start or had to end; the text is for the user.
    void failed(QString message);

private:
    struct ReceiveBatch;

    bool openSocket();
    bool openWakePipe();
    void run();
    // False when reception has to end.
    bool receivePending(ReceiveBatch& batch);
    void route(QByteArrayView datagram, quint32 sender, const QTime& received);
    void endWithReceiveError(int error);
    // On this object's thread: one rxQueued for each line pushed since the last call.
    // Invoked by name from the receive thread (see route).
    Q_INVOKABLE void announceQueued();

    const int m_port;
    const quint32 m_adapterAddress;
    CInboundQueue& m_queue;
    std::atomic<bool>& m_firewallSuspect;
    IClock& m_clock;

    std::atomic<bool> m_stop{false};
    std::atomic<quint64> m_received{0};
    std::atomic<quint64> m_cut{0};
    std::atomic<quint32> m_unannounced{0};
    CFileDescriptor m_socket;
    CFileDescriptor m_wakeRead;
    CFileDescriptor m_wakeWrite;
    std::atomic<bool> m_running{false};
    std::thread m_thread;
};
