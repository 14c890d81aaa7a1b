#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

class CCliSession;
class QCommandLineParser;

// One command of vorel-cli, such as "query" or "collect". The command line is parsed
// once with the common options and every command's own; a command then takes its
// arguments in configure() and does its work in run(). CCliCommandTable lists them all.
class CCliCommand {
public:
    CCliCommand() = default;
    virtual ~CCliCommand() = default;
    CCliCommand(const CCliCommand&) = delete;
    CCliCommand& operator=(const CCliCommand&) = delete;

    // The word that picks the command.
    virtual QString name() const = 0;
    // What follows the name in the usage line, such as "IP" or "TEXT"; empty for none.
    virtual QString arguments() const { return {}; }
    // One line for the list of commands.
    virtual QString summary() const = 0;
    // A paragraph for "vorel-cli NAME --help": what it does, what it sends, what it prints.
    virtual QString description() const = 0;
    // Options of this command alone. An option two commands share must be the same
    // option (see CCliOptions for the shared ones).
    virtual QList<QCommandLineOption> options() const { return {}; }

    // Takes the positional arguments after the name and the option values; returns
    // why they are wrong, or nothing.
    virtual QString configure(const QCommandLineParser& parser, const QStringList& arguments) = 0;
    // Does the work; the result is the exit code (CCliExit).
    virtual int run(CCliSession& session) = 0;
    // Whether run() needs Qt Gui (fonts, painting: a PDF), once configured. Such a command
    // runs in a QGuiApplication on the offscreen platform; every other in a plain
    // QCoreApplication, which needs no display and loads no platform plugin.
    virtual bool needsGuiApplication() const { return false; }
};
