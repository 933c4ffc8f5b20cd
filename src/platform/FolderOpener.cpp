#include "platform/FolderOpener.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/PathMap.h"
#include "platform/SystemError.h"

namespace platform {

namespace {

constexpr const char* kDefaultCommand = "xdg-open";

bool Fail(int error) {
    SystemError::SetLast(error);
    return false;
}

bool IsExecutable(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

// The program to run: a name with a slash as it is, else the first match on $PATH.
std::string FindProgram(const std::string& command) {
    if (command.find('/') != std::string::npos) return IsExecutable(command) ? command : "";
    const char* path = std::getenv("PATH");
    std::string_view folders = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const size_t colon = folders.find(':');
        std::string candidate(folders.substr(0, colon));
        if (candidate.empty()) candidate.push_back('.');
        candidate.push_back('/');
        candidate.append(command);
        if (IsExecutable(candidate)) return candidate;
        if (colon == std::string_view::npos) return "";
        folders.remove_prefix(colon + 1);
    }
}

// Openers whose reaper thread could not be started; each call reaps the ones that have ended
// since. Only these process ids are waited for: other children (Qt's) are left to their owners.
std::mutex startedMutex;
std::vector<pid_t> started;

pid_t WaitFor(pid_t pid, int options) {
    pid_t done;
    while ((done = waitpid(pid, nullptr, options)) < 0 && errno == EINTR) {
    }
    return done;
}

void ReapEnded() {
    std::lock_guard<std::mutex> lock(startedMutex);
    std::erase_if(started, [](pid_t pid) { return WaitFor(pid, WNOHANG) != 0; });
}

// Waits for the opener on a detached thread, which ends with it. The thread touches nothing
// but the process id, so it may outlive everything else at exit.
void Reap(pid_t pid) {
    try {
        std::thread([pid] { WaitFor(pid, 0); }).detach();
    } catch (const std::system_error&) {
        std::lock_guard<std::mutex> lock(startedMutex);
        started.push_back(pid);
    }
}

// Starts the program in a session of its own with standard input from /dev/null, default
// signal handling and an empty signal mask, and no descriptor beyond the standard three.
// posix_spawn does not copy this process (Qt's threads run in it): an exec failure comes back
// as its result.
int Spawn(const std::string& program, char* const argv[], pid_t& pid) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    if (int error = posix_spawn_file_actions_init(&actions)) return error;
    if (int error = posix_spawnattr_init(&attributes)) {
        posix_spawn_file_actions_destroy(&actions);
        return error;
    }
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    int error = posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (!error) error = posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    if (!error) {
        error = posix_spawnattr_setflags(
            &attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    if (!error) error = posix_spawnattr_setsigmask(&attributes, &none);
    if (!error) error = posix_spawnattr_setsigdefault(&attributes, &all);
    if (!error) error = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error;
}

}  // namespace

bool FolderOpener::Open(std::string_view folder) {
    if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"') {
        folder.remove_prefix(1);
        folder.remove_suffix(1);
    }
    std::string native = PathMap::ToNative(folder);
    if (native.empty()) return Fail(ENOENT);
    const char* configured = std::getenv("PENNAWICK_OPEN_FOLDER");
    const std::string command = configured && *configured ? configured : kDefaultCommand;
    std::string program = FindProgram(command);
    if (program.empty()) return Fail(ENOENT);

    std::string name = command;
    char* const argv[] = {name.data(), native.data(), nullptr};
    ReapEnded();
    pid_t pid = 0;
    if (const int error = Spawn(program, argv, pid)) return Fail(error);
    Reap(pid);
    return true;
}

}  // namespace platform
