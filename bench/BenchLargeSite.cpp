// A site of the size of the largest real ones: 20 gateways x 256 bus devices x about 200
// settings, a million settings in all. The generator writes it as a map file (as collect
// saves one) and as a project (the same site with some values changed), then times
// vorel-cli diff and vorel-cli project check on them as child processes, with their peak
// memory (the kernel's own accounting of the finished child).
//
//   BenchLargeSite [DIR]           generate into DIR (default: a temporary folder), measure
//   BenchLargeSite --only DIR      generate into DIR and stop (for farm-bench, the program)
//
// vorel-cli runs only inside a network namespace: start this with scripts/in-netns.
#include "CLargeSite.h"
#include "core/plan/CValidationSchema.h"
#include "core/transport/CIpv4Address.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <map>
#include <pugixml.hpp>

namespace {

// Every this many settings that a user may edit, the project gives another value than the
// map holds (the others it gives as they are, as a project made from a collected map has).
constexpr int kChangeEvery = 5;

pugi::xml_node child(pugi::xml_node parent, const char* name, const char* attribute = nullptr,
                     const QByteArray& value = {}) {
    for (pugi::xml_node found : parent.children(name)) {
        if (attribute == nullptr || value == found.attribute(attribute).value()) {
            return found;
        }
    }
    pugi::xml_node made = parent.append_child(name);
    if (attribute != nullptr) {
        made.append_attribute(attribute).set_value(value.constData());
    }
    return made;
}

// The settings below a UBRIX or DEVICE element, in the plan's layout; when changed is set,
// every kChangeEvery-th value a user may edit is another.
int writeSettings(pugi::xml_node device, const QByteArray& type, const CSimSettings& settings,
                  const CValidationSchema& schema, bool changed) {
    int count = 0;
    for (const CSimSetting& setting : settings.all()) {
        const CSettingAddress& address = setting.address;
        pugi::xml_node parent = device;
        if (!address.port.isEmpty()) {
            parent = child(parent, "PORT", "P", address.port);
        }
        if (!address.group.isEmpty()) {
            parent = child(parent, address.group.constData());
        }
        pugi::xml_node leaf = parent.append_child(address.key.constData());
        if (!address.index.isEmpty()) {
            leaf.append_attribute("A").set_value(address.index.constData());
        }
        QByteArray value = setting.value;
        const pugi::xml_node entry = schema.setting(type.toStdString(), address);
        if (changed && entry &&
            CValidationSchema::control(entry) == CValidationSchema::Control::Edit &&
            ++count % kChangeEvery == 0) {
            value += "1";
        }
        leaf.text().set(value.constData());
    }
    return static_cast<int>(settings.size());
}

struct Written {
    long long settings = 0;
    qint64 mapBytes = 0;
    qint64 projectBytes = 0;
};

Written generate(const QString& folder) {
    auto models = std::make_shared<CSimModels>();
    QString error;
    if (!models->load(QCoreApplication::applicationDirPath(), error)) {
        qFatal("models: %s", qPrintable(error));
    }
    const CSimSite site = CLargeSite::build();
    const CValidationSchema schema(models->schema());
    Written written;
    for (const bool project : {false, true}) {
        pugi::xml_document document;
        pugi::xml_node plan = document.append_child("Plan");
        pugi::xml_node devices = plan.append_child("Device_Configuration");
        pugi::xml_node network = plan.append_child("Network_Configuration");
        for (const CSimGateway& gateway : site.gateways()) {
            const QByteArray ip = CIpv4Address::toDotted(gateway.address());
            pugi::xml_node element = devices.append_child("UBRIX");
            element.append_attribute("IP").set_value(ip.constData());
            const int own =
                writeSettings(element, gateway.type(), gateway.settings(), schema, project);
            written.settings += project ? 0 : own;
            pugi::xml_node heard = network.append_child("UBRIX");
            heard.append_attribute("IP").set_value(ip.constData());
            for (const CSimBusDevice& device : gateway.devices()) {
                const QByteArray uid = QByteArray::number(device.uid().value_or(0));
                pugi::xml_node configuration = devices.append_child("DEVICE");
                configuration.append_attribute("UID").set_value(uid.constData());
                const int count =
                    writeSettings(configuration, device.type(),
                                  CLargeSite::grown(device.settings()), schema, project);
                written.settings += project ? 0 : count;
                heard.append_child("DEVICE").append_attribute("UID").set_value(uid.constData());
            }
        }
        const QString path = QDir(folder).filePath(project ? QStringLiteral("project.xml")
                                                           : QStringLiteral("map.xml"));
        if (!document.save_file(path.toLocal8Bit().constData(), "\t")) {
            qFatal("cannot write %s", qPrintable(path));
        }
        (project ? written.projectBytes : written.mapBytes) = QFileInfo(path).size();
    }
    return written;
}

struct Measured {
    int exitCode = -1;
    double seconds = 0;
    double peakMb = 0;
};

// One run of the program with its output thrown away, timed from outside.
Measured measure(const QStringList& arguments) {
    QElapsedTimer clock;
    clock.start();
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        std::vector<QByteArray> texts;
        for (const QString& argument : arguments) {
            texts.push_back(argument.toLocal8Bit());
        }
        std::vector<char*> argv;
        for (QByteArray& text : texts) {
            argv.push_back(text.data());
        }
        argv.push_back(nullptr);
        ::execv(argv.front(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    Measured measured;
    measured.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    measured.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    measured.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return measured;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    const bool only = arguments.removeAll(QStringLiteral("--only")) > 0;
    QTemporaryDir temporary;
    const QString folder = arguments.isEmpty() ? temporary.path() : arguments.front();
    QDir().mkpath(folder);

    QElapsedTimer clock;
    clock.start();
    const Written written = generate(folder);
    std::printf(
        "BenchLargeSite: %d gateways x %d devices, %lld settings; map %.1f MB, project %.1f MB "
        "(written in %.1f s to %s)\n",
        CLargeSite::kGateways, CLargeSite::kDevicesPerGateway, written.settings,
        static_cast<double>(written.mapBytes) / 1e6,
        static_cast<double>(written.projectBytes) / 1e6,
        static_cast<double>(clock.elapsed()) / 1000.0, qPrintable(folder));
    if (only) {
        return 0;
    }
    const QString cli =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("vorel-cli"));
    const QString map = QDir(folder).filePath(QStringLiteral("map.xml"));
    const QString project = QDir(folder).filePath(QStringLiteral("project.xml"));
    const struct {
        const char* what;
        QStringList arguments;
    } runs[] = {
        {"diff --project --map",
         {cli, QStringLiteral("diff"), QStringLiteral("--project"), project,
          QStringLiteral("--map"), map}},
        {"diff --json",
         {cli, QStringLiteral("diff"), QStringLiteral("--project"), project,
          QStringLiteral("--map"), map, QStringLiteral("--json")}},
        {"project check", {cli, QStringLiteral("project"), QStringLiteral("check"), project}},
    };
    for (const auto& run : runs) {
        for (int round = 0; round < 3; ++round) {
            const Measured measured = measure(run.arguments);
            std::printf("  vorel-cli %-22s %6.2f s  peak %6.1f MB  exit %d\n", run.what,
                        measured.seconds, measured.peakMb, measured.exitCode);
            std::fflush(stdout);
        }
    }
    return 0;
}
