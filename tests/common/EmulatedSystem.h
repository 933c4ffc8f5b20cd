#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// A temporary emulated Windows system for one test: a Wine-prefix-shaped folder (drive_c with
// users\tester and windows, user.reg, system.reg), with WINEPREFIX, TZ (JST-9), the clock
// (Tuesday 2026-12-08 12:00:00 JST) and the logon user ("tester") pinned, HOME and the XDG base
// folders pointing inside it; in the test programs above the platform also the log level and the
// working folder (C:\Pennawick\, holding the portable marker). Everything is restored and
// removed when it goes.
class EmulatedSystem {
public:
    static constexpr int64_t kNow = 1796698800;  // 2026-12-08 03:00:00 UTC, a Tuesday
    static constexpr const char* kUser = "tester";
    static constexpr const char* kWorkingFolder = "C:\\Pennawick\\";
    // Set to folders below Root() for each test (HOME and the XDG base folders).
    static constexpr std::array<const char*, 4> kUserFolderVariables = {
        "HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_DATA_HOME"};

    EmulatedSystem();
    ~EmulatedSystem();
    EmulatedSystem(const EmulatedSystem&) = delete;
    EmulatedSystem& operator=(const EmulatedSystem&) = delete;

    // Native path of the prefix folder.
    const std::string& Root() const { return root_; }
    // Native path of an internal one.
    std::string Native(const std::string& internal) const;

    // Writes a file (bytes as given) at an internal path, creating its folders.
    void WriteFile(const std::string& internal, std::string_view bytes) const;
    // The bytes of a file at an internal path; empty when missing.
    std::string ReadFile(const std::string& internal) const;
    bool Exists(const std::string& internal) const;
    void MakeFolder(const std::string& internal) const;

    // Adds lines (Wine's text format, after the header) to user.reg or system.reg and makes the
    // platform read the files again.
    void AddUserReg(const std::string& lines);
    void AddSystemReg(const std::string& lines);
    // Replaces user.reg and system.reg by copies of real files (native paths) and makes the
    // platform read them.
    void InstallRegistryFiles(const std::string& userReg, const std::string& systemReg) const;
    // Marks the prefix as 64-bit (#arch=win64) or 32-bit.
    void SetArch64(bool win64);

private:
    void WriteRegistry();

    std::string root_;
    std::string userReg_;
    std::string systemReg_;
    bool win64_ = false;
    std::string savedPrefix_;
    bool hadPrefix_ = false;
    std::string savedTz_;
    bool hadTz_ = false;
    std::array<std::string, kUserFolderVariables.size()> savedUserFolders_;
    std::array<bool, kUserFolderVariables.size()> hadUserFolders_{};
};

// Steps that the layers above the platform add to every emulated system, to pin and reset their
// own process-wide state: run after the platform's set-up and before its tear-down. Their test
// support registers them once, before any test runs.
using EmulatedSystemStep = void (*)();
void AddEmulatedSystemSteps(EmulatedSystemStep setUp, EmulatedSystemStep tearDown);

// A test with its own emulated system.
class EmulatedSystemTest : public ::testing::Test {
protected:
    EmulatedSystem system;
};

// The shared reference material next to the repository; empty when it is absent.
std::string SharedDir();
// Skips the current test with a message when ../shared is absent.
#define SKIP_WITHOUT_SHARED()                                                     \
    do {                                                                          \
        if (SharedDir().empty()) GTEST_SKIP() << "../shared is absent; skipping"; \
    } while (0)

// UTF-8 source text as internal Shift-JIS text, for test literals.
std::string Sjis(std::string_view utf8);
// Internal text as UTF-8, for readable assertion messages.
std::string Utf8(std::string_view sjis);
