#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "common/EmulatedSystem.h"
#include "support/Log.h"
#include "support/SystemCommand.h"

// The folder goes to the file manager quoted unless both its ends are quotes; the debug line
// shows the command line, the folder as given and the quoted folder. The opener is "true", so
// nothing is shown; the opener itself is tested with the platform.
TEST_F(EmulatedSystemTest, ExplorerExecutionQuotesTheFolder) {
    const char* saved = std::getenv("PENNAWICK_OPEN_FOLDER");
    const std::string previous = saved ? saved : "";
    setenv("PENNAWICK_OPEN_FOLDER", "true", 1);
    SetLogLevel(LOG_D);
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\My Folder", "\"C:\\My Folder\""},
        {"\"C:\\users\"", "\"C:\\users\""},
        {"\"C:\\a", "\"\"C:\\a\""},
        {"C:\\a\"", "\"C:\\a\"\""},
        {Sjis("C:\\表示"), Sjis("\"C:\\表示\"")},
    };
    for (const auto& [folder, quoted] : cases)
        EXPECT_EQ(SystemCommand::ExplorerExecution(folder), 0);
    SetLogLevel(LOG_I);
    saved ? setenv("PENNAWICK_OPEN_FOLDER", previous.c_str(), 1)
          : unsetenv("PENNAWICK_OPEN_FOLDER");

    std::string log;
    for (const auto& file : std::filesystem::directory_iterator(system.Native("C:\\Pennawick"))) {
        std::stringstream content;
        content << std::ifstream(file.path(), std::ios::binary).rdbuf();
        log += content.str();
    }
    for (const auto& [folder, quoted] : cases) {
        const std::string line = "SystemCommand::ExplorerExecution [explorer " + quoted +
                                 "][search = " + folder + "][work = " + quoted + "]";
        EXPECT_NE(log.find(line), std::string::npos) << line;
    }
}
