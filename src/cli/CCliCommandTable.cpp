#include "cli/CCliCommandTable.h"

#include "cli/CCliAdaptersCommand.h"
#include "cli/CCliAddressCommand.h"
#include "cli/CCliCollectCommand.h"
#include "cli/CCliCompareCommand.h"
#include "cli/CCliDiffCommand.h"
#include "cli/CCliDiscoverCommand.h"
#include "cli/CCliIdentifyCommand.h"
#include "cli/CCliJournalCommand.h"
#include "cli/CCliKeypadCommand.h"
#include "cli/CCliMonitorCommand.h"
#include "cli/CCliPresetsCommand.h"
#include "cli/CCliProjectCommand.h"
#include "cli/CCliQueryCommand.h"
#include "cli/CCliRegisterCommand.h"
#include "cli/CCliReplaceCommand.h"
#include "cli/CCliReportCommand.h"
#include "cli/CCliRestartCommand.h"
#include "cli/CCliSendCommand.h"
#include "cli/CCliSetCommand.h"
#include "cli/CCliUploadCommand.h"

// How to add a command:
//  1. Write a class deriving from CCliCommand, one file pair named after it (the query
//     command is a short example). Its name(), arguments(), summary() and description()
//     make its lines in "vorel-cli --help" and its own "vorel-cli NAME --help"; options()
//     lists the options it takes besides the common ones (CCliOptions), reusing the
//     shared definitions such as CCliOptions::json().
//  2. configure() takes its positional arguments and option values and refuses wrong ones
//     with a reason (the exit code is then 2); run() does the work through CCliSession
//     (start(), send(), waitForReplies(), out(), progress()) and returns a CCliExit code.
//  3. Add one line below. The parser, the help and the refusal of options that do not go
//     with the command follow from the class.
std::vector<std::unique_ptr<CCliCommand>> CCliCommandTable::commands() {
    std::vector<std::unique_ptr<CCliCommand>> all;
    all.push_back(std::make_unique<CCliAdaptersCommand>());
    all.push_back(std::make_unique<CCliDiscoverCommand>());
    all.push_back(std::make_unique<CCliQueryCommand>());
    all.push_back(std::make_unique<CCliSendCommand>());
    all.push_back(std::make_unique<CCliKeypadCommand>());
    all.push_back(std::make_unique<CCliMonitorCommand>());
    all.push_back(std::make_unique<CCliCollectCommand>());
    all.push_back(std::make_unique<CCliSetCommand>());
    all.push_back(std::make_unique<CCliRestartCommand>());
    all.push_back(std::make_unique<CCliRegisterCommand>());
    all.push_back(std::make_unique<CCliAddressCommand>());
    all.push_back(std::make_unique<CCliIdentifyCommand>());
    all.push_back(std::make_unique<CCliPresetsCommand>());
    all.push_back(std::make_unique<CCliProjectCommand>());
    all.push_back(std::make_unique<CCliUploadCommand>());
    all.push_back(std::make_unique<CCliDiffCommand>());
    all.push_back(std::make_unique<CCliCompareCommand>());
    all.push_back(std::make_unique<CCliReplaceCommand>());
    all.push_back(std::make_unique<CCliReportCommand>());
    all.push_back(std::make_unique<CCliJournalCommand>());
    return all;
}

std::unique_ptr<CCliCommand> CCliCommandTable::find(const QString& name) {
    for (std::unique_ptr<CCliCommand>& command : commands()) {
        if (command->name() == name) {
            return std::move(command);
        }
    }
    return nullptr;
}
