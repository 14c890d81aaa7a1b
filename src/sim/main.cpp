// vorel-sim: a simulated site of gateways and bus devices on the network, for trying the
// program and vorel-cli without hardware. Control lines come on standard input (and on
// the control port when one is given); SIGINT or SIGTERM ends it.

#include "core/plan/CModelTemplateFolder.h"
#include "sim/CSimControl.h"
#include "sim/CSimModels.h"
#include "sim/CSimNetwork.h"
#include "sim/CSimOptions.h"
#include "sim/CSimSiteBuilder.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>
#include <QCoreApplication>
#include <cstdio>

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitFailure = 1;

void print(FILE* stream, const QByteArray& text) {
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stream);
    std::fflush(stream);
}

void printError(const QString& text) {
    print(stderr, "vorel-sim: " + text.toLocal8Bit() + "\n");
}

// Blocks the ending signals for every thread and hands them over as a descriptor.
int endingSignals() {
    sigset_t ending;
    sigemptyset(&ending);
    sigaddset(&ending, SIGINT);
    sigaddset(&ending, SIGTERM);
    sigaddset(&ending, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &ending, nullptr);
    return ::signalfd(-1, &ending, SFD_CLOEXEC);
}

// Reads control lines from standard input until a signal, "quit", or (when standard
// input ends) only a signal.
void serve(CSimNetwork& network, int signalFd) {
    QByteArray pending;
    bool inputOpen = true;
    for (;;) {
        pollfd watched[2] = {{signalFd, POLLIN, 0}, {inputOpen ? STDIN_FILENO : -1, POLLIN, 0}};
        if (::poll(watched, 2, -1) < 0) {
            continue;
        }
        if (watched[0].revents != 0) {
            return;
        }
        if (watched[1].revents == 0) {
            continue;
        }
        char buffer[1024];
        const ssize_t size = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (size <= 0) {
            inputOpen = false;
            continue;
        }
        pending.append(buffer, size);
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const CSimControl::Result result = CSimControl::execute(network, pending.left(end));
            pending.remove(0, end + 1);
            print(stdout, result.answer);
            if (result.quit) {
                return;
            }
        }
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    const int signalFd = endingSignals();
    QCoreApplication application(argc, argv);
    QString message;
    bool helpAsked = false;
    const auto options = CSimOptions::parse(QCoreApplication::arguments(), message, helpAsked);
    if (!options) {
        if (helpAsked) {
            print(stdout, message.toLocal8Bit());
            return 0;
        }
        printError(message);
        return kExitUsage;
    }
    auto models = std::make_shared<CSimModels>();
    const QString folder = options->templateFolder.isEmpty()
                               ? CModelTemplateFolder::find(QCoreApplication::applicationDirPath())
                               : options->templateFolder;
    if (!models->load(folder, message)) {
        printError(message);
        return kExitFailure;
    }
    CSimSiteConfig config = options->site;
    if (options->typesFromSchema) {
        config.deviceTypes = models->busTypes();
    }
    auto site = CSimSiteBuilder::build(models, config, message);
    if (!site) {
        printError(message);
        return kExitUsage;
    }
    site->setFaults(options->faults);
    site->setLatency(options->latency);
    site->setRestartSilenceMs(options->restartSilenceMs);
    CSimNetwork network(std::move(*site), options->network);
    if (options->logCommands) {
        network.journal().setObserver([](const CSimCommandJournal::Entry& entry) {
            print(stdout, CSimCommandJournal::describe(entry) + "\n");
        });
    }
    if (!network.start(message)) {
        printError(message);
        return kExitFailure;
    }
    for (const QByteArray& line : options->faultLines) {
        const QByteArray answer = network.control(line);
        if (answer.startsWith("error")) {
            printError(QString::fromLatin1(answer.trimmed()));
            return kExitUsage;
        }
    }
    if (!options->quiet) {
        print(stdout, network.control("list"));
    }
    print(stdout, "ready\n");
    serve(network, signalFd);
    network.stop();
    print(stderr, "vorel-sim: " + network.control("stats"));
    return 0;
}
