#pragma once

#include "cli/CCliCommand.h"

#include <memory>
#include <vector>

// Every command of vorel-cli, in the order the help lists them.
class CCliCommandTable {
public:
    static std::vector<std::unique_ptr<CCliCommand>> commands();
    // The command called name, or nothing.
    static std::unique_ptr<CCliCommand> find(const QString& name);
};
