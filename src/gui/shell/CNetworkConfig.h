#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLineEdit;

// "Network Setup": the adapter to bind and scan with, the UDP ports and the TCP gateway.
// OK takes the form only when the ports are numbers from 1 to 65535 and the default IP is
// an address as inet_addr reads it (shorthand forms included; 0.0.0.0 for none); else a
// message names the field and the form stays open.
class CNetworkConfig : public QDialog {
    Q_OBJECT

public:
    struct Values {
        // The chosen adapter; -1 when none is chosen (the selection stays).
        int selectedAdapter = -1;
        quint32 sendPort = 0;
        quint32 receivePort = 0;
        // Network byte order.
        quint32 defaultIp = 0;
    };

    CNetworkConfig(const QString& hostName, const QStringList& adapterNames, const Values& current,
                   QWidget* parent = nullptr);

    // The form as it stands.
    Values values() const;
    // What is wrong with the form, naming the field; empty when it can be taken.
    QString refusal() const;

    void accept() override;

    static quint32 portFromText(const QString& text);
    static quint32 addressFromText(const QString& text);

private:
    QLineEdit* m_hostName;
    QComboBox* m_adapters;
    QLineEdit* m_sendPort;
    QLineEdit* m_listenPort;
    QLineEdit* m_defaultIp;
};
