#pragma once

#include <QStringList>
#include <string>

// The program pennawick-convert: parses the command line, checks the sources named on it,
// chooses the system to read and runs the command on the application layer, as the wizard
// would run with the same choices. The settings file of the program folder is read, never
// written.
class CommandLine {
public:
    // Runs the command line args (args[0] is the program) for the program file at programPath
    // (an internal path; its folder is the working folder). Returns the exit status: 0 done,
    // 1 an output failed, 2 bad usage.
    static int Run(const QStringList& args, const std::string& programPath);
};
