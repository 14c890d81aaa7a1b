#include "CCliCommandTable.h"

#include "CCliAdaptersCommand.h"
#include "CCliAddressCommand.h"
#include "CCliCollectCommand.h"
#include "CCliCompareCommand.h"
#include "CCliDiffCommand.h"
#include "CCliDiscoverCommand.h"
#include "CCliIdentifyCommand.h"
#include "CCliJournalCommand.h"
#include "CCliKeypadCommand.h"
#include "CCliMonitorCommand.h"
#include "CCliPresetsCommand.h"
#include "CCliProjectCommand.h"
#include "CCliQueryCommand.h"
#include "CCliRegisterCommand.h"
#include "CCliReplaceCommand.h"
#include "CCliReportCommand.h"
#include "CCliRestartCommand.h"
#include "CCliSendCommand.h"
#include "CCliSetCommand.h"
#include "CCliUploadCommand.h"

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
