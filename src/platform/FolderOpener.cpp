#include "platform/FolderOpener.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

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

// The program to run: a name with a slash as it is, else the first match on $PATH. Resolved
// before forking, so that the child only has to call execv.
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

// Runs in the grandchild: a session of its own, standard input from /dev/null, no inherited
// descriptors, then the program. Only async-signal-safe calls. On failure the errno goes to the
// report pipe.
[[noreturn]] void RunDetached(const char* program, char* const argv[], int nullInput, int report) {
    setsid();
    if (nullInput >= 0) dup2(nullInput, STDIN_FILENO);
    for (int fd = STDERR_FILENO + 1; fd < 1024; ++fd) {
        if (fd != report) close(fd);
    }
    execv(program, argv);
    const int error = errno;
    (void)!write(report, &error, sizeof error);
    _exit(127);
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
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return Fail(errno);
    const int nullInput = open("/dev/null", O_RDONLY | O_CLOEXEC);

    // Fork twice: the middle child exits at once and is reaped here, so the opener becomes a
    // child of init and never a zombie of ours, and nothing here waits for it.
    const pid_t middle = fork();
    if (middle == 0) {
        close(pipeEnds[0]);
        const pid_t opener = fork();
        if (opener == 0) RunDetached(program.c_str(), argv, nullInput, pipeEnds[1]);
        if (opener < 0) {
            const int error = errno;
            (void)!write(pipeEnds[1], &error, sizeof error);
        }
        _exit(0);
    }
    close(pipeEnds[1]);
    if (nullInput >= 0) close(nullInput);
    if (middle < 0) {
        const int error = errno;
        close(pipeEnds[0]);
        return Fail(error);
    }
    while (waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
    }
    // The report pipe closes when the program starts (close-on-exec) or carries the errno of a
    // failed start.
    int error = 0;
    ssize_t got;
    do {
        got = read(pipeEnds[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    close(pipeEnds[0]);
    if (got == static_cast<ssize_t>(sizeof error)) return Fail(error);
    return true;
}

}  // namespace platform
