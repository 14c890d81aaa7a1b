#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <thread>
#include <type_traits>
#include <utility>

// The test LAN. Every test program that opens a socket first moves itself into a fresh
// network namespace (isolateProcess), so nothing it sends can reach this machine's own
// interfaces and parallel test programs never share a port. On top of that, a test can
// build LANs: LAN k is a bridge "vlan<k>" in the test's namespace holding the program's
// address 10.77.k.1/24, and each host on it is a namespace of its own, joined to the
// bridge by a veth pair, with the address 10.77.k.<n>/24.
class CTestLan {
public:
    struct Host {
        int lan = 0;
        int number = 0;
        quint32 address = 0;  // network byte order
        int namespaceFd = -1;
    };

    // Call first thing (initTestCase), before the test starts any thread: threads
    // started afterwards inherit the namespace. Empty on success, else why not (the test
    // should skip with it). With VOREL_REQUIRE_ISOLATION=1 (CI) a failure ends the test
    // program instead: there, no test may skip for want of a namespace.
    static QString isolateProcess();
    // Empty when LANs can be built here (the ip tool of iproute2 is there), else why not;
    // fatal as above with VOREL_REQUIRE_ISOLATION=1.
    static QString whyNoLan();

    CTestLan() = default;
    ~CTestLan();
    CTestLan(const CTestLan&) = delete;
    CTestLan& operator=(const CTestLan&) = delete;

    // Each returns false and keeps the reason in error() when a step fails.
    bool addLan(int lan);
    bool addHost(int lan, int number);
    // Runs a command in this namespace, or in a host's.
    bool run(const QStringList& command, int namespaceFd = -1);
    QString error() const { return m_error; }

    const Host* host(int lan, int number) const;
    static quint32 programAddress(int lan);
    static quint32 hostAddress(int lan, int number);
    static QString bridgeName(int lan) { return QStringLiteral("vlan%1").arg(lan); }
    int interfaceIndex(int lan) const;

    // Runs fn on a thread inside the host's namespace and returns what it returns.
    // Sockets made there belong to the host's network for good.
    template <typename F>
    auto inHost(const Host& host, F&& fn) -> std::invoke_result_t<F> {
        using Result = std::invoke_result_t<F>;
        if constexpr (std::is_void_v<Result>) {
            std::thread worker([&] {
                enterNamespace(host.namespaceFd);
                fn();
            });
            worker.join();
        } else {
            Result result{};
            std::thread worker([&] {
                enterNamespace(host.namespaceFd);
                result = fn();
            });
            worker.join();
            return result;
        }
    }

    // Moves the calling thread into the host's namespace for good: for a thread that
    // plays the host (a simulated gateway) and makes its sockets as it goes.
    static bool enterHost(const Host& host) { return enterNamespace(host.namespaceFd); }

private:
    static bool enterNamespace(int namespaceFd);
    static int newNamespace();

    QList<int> m_lans;
    QList<Host> m_hosts;
    QString m_error;
};
