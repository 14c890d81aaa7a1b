#pragma once

#include "cli/CCliCommand.h"
#include "cli/CCliOptions.h"

#include <QString>
#include <QStringList>
#include <memory>

// What the command line of vorel-cli asks for: a command to run with its options, a
// help or version text to print, or the reason it is refused.
struct CCliCommandLine {
    enum class Outcome { Run, Print, Refuse };

    Outcome outcome = Outcome::Refuse;
    QString text;  // the help or version text, or the reason for the refusal
    CCliOptions options;
    std::unique_ptr<CCliCommand> command;

    // arguments start with the program's name.
    static CCliCommandLine parse(const QStringList& arguments);
    static QString helpText();
    static QString helpText(const CCliCommand& command);
    static QString versionText();
};
