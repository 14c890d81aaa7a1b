#pragma once

#include "gui/base/CFormView.h"

#include <QtGlobal>
#include <functional>
#include <memory>

class CLanScanModel;
class CLanScanner;
class CTransport;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;

// The network view: lists the hosts of the selected adapter's /24 network that answer
// address resolution, with address, hardware address and name. "Rescan" starts a scan;
// nothing starts by itself, and the document's updates do not concern it. The scan runs
// on its own thread and never touches this window; when the view goes (a view switch),
// the scan is stopped and waited for, which takes at most one poll interval.
class CUbrixVorelNet : public CFormView {
    Q_OBJECT

public:
    // The address (network byte order) of the adapter to scan from, asked at each Rescan
    // so that a change in Network Setup counts.
    using AddressSource = std::function<quint32()>;

    static constexpr int kProgressMaximum = 256;
    static constexpr int kNumberWidth = 30;
    static constexpr int kAddressWidth = 150;
    static constexpr int kMacWidth = 200;

    CUbrixVorelNet(std::unique_ptr<CLanScanner> scanner, AddressSource adapterAddress,
                   QWidget* parent = nullptr);
    ~CUbrixVorelNet() override;

    // The view as the program builds it: this machine's scanner, the transport's selected
    // adapter.
    static CUbrixVorelNet* create(const CTransport& transport, QWidget* parent = nullptr);
    // The same with another scanner (the demonstration's).
    static CUbrixVorelNet* create(std::unique_ptr<CLanScanner> scanner, const CTransport& transport,
                                  QWidget* parent = nullptr);

    void OnInitialUpdate() override;
    void OnUpdate(quint32 hint) override;

    void OnBnClickedRescan();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildForm();
    void setUpList();
    void resetProgress();
    void fitNameColumn();
    void onProgress(int position);
    void onFinished();

    std::unique_ptr<CLanScanner> m_scanner;
    AddressSource m_adapterAddress;
    QPushButton* m_rescan = nullptr;
    QProgressBar* m_progress = nullptr;
    QLineEdit* m_status = nullptr;
    QTableView* m_list = nullptr;
    CLanScanModel* m_model = nullptr;
};
