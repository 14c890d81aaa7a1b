#pragma once

// The exit codes of vorel-cli. Scripts rely on them: each means one thing only.
struct CCliExit {
    static constexpr int kOk = 0;
    static constexpr int kUsage = 2;            // the command line is wrong
    static constexpr int kNothingAnswered = 3;  // no gateway or device answered
    static constexpr int kNetwork = 4;          // the network could not be used
    static constexpr int kFile = 5;             // a file could not be written
    static constexpr int kIncomplete = 6;       // some devices did not answer (or take a value)
    static constexpr int kNotTaken = 7;         // a gateway did not take a setting, or a
                                                // replacement was refused
    static constexpr int kRefused = 8;          // a project change or input file refused
    static constexpr int kFindings = 9;         // a project check found what an upload
                                                // skips, or two snapshots differ
    static constexpr int kInterrupted = 130;    // stopped by Ctrl-C or SIGTERM

    // The list that --help ends with.
    static constexpr const char* kHelp =
        "Exit codes:\n"
        "  0    done\n"
        "  2    wrong command line\n"
        "  3    nothing answered\n"
        "  4    network failure\n"
        "  5    file not written\n"
        "  6    some devices did not answer (named on stderr) or, for upload and diff,\n"
        "       do not hold every value of the project\n"
        "  7    a gateway or device did not take a setting, or a replacement was refused\n"
        "       (a device still answers, or is of another type)\n"
        "  8    the project refused the change, or an input file could not be read or\n"
        "       was refused (why on stderr)\n"
        "  9    the project check found settings an upload would skip, or the compared\n"
        "       snapshots differ\n"
        "  130  interrupted (a map written so far is partial)\n";
};
