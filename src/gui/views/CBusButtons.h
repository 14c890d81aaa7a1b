#pragma once

#include <QWidget>

class CRunProgress;
class QLineEdit;

// The bus view's buttons: "Discover" with "Ubrixs" and "Devices", "UID" with "Set" and the
// UID field (the next UID to give, "1" at first; Enter in it presses Set), and "Data" with
// "Collect", its progress and "Stop".
class CBusButtons : public QWidget {
    Q_OBJECT

public:
    explicit CBusButtons(int collectRange, QWidget* parent = nullptr);

    QString uidText() const;
    void setUid(quint32 uid);
    CRunProgress& collection() const { return *m_collection; }

signals:
    void discoverClicked();
    void devicesClicked();
    void setClicked();

private:
    QLineEdit* m_uid = nullptr;
    CRunProgress* m_collection = nullptr;
};
