#include "cli/ConsolePrompt.h"

#include <cstdio>

#include "platform/Cp932.h"
#include "platform/FileSystem.h"
#include "platform/PathMap.h"

namespace {

bool IsQuestion(UserPrompt::Buttons buttons) {
    return buttons != UserPrompt::Buttons::Ok;
}

}  // namespace

ConsolePrompt::ConsolePrompt(Answers answers) : answers_(std::move(answers)) {}

void ConsolePrompt::Print(const std::string& text, const std::string& caption) const {
    std::string paragraph;
    if (!caption.empty()) paragraph = platform::Cp932::ToUtf8(caption) + ": ";
    paragraph += platform::Cp932::ToUtf8(text);
    while (!paragraph.empty() && paragraph.back() == '\n') paragraph.pop_back();
    std::fprintf(stderr, "%s\n\n", paragraph.c_str());
    std::fflush(stderr);
}

void ConsolePrompt::Unanswerable(const char* hint) {
    unanswered_ = true;
    std::fprintf(stderr, "pennawick-convert: %s\n\n", hint);
    std::fflush(stderr);
}

UserPrompt::Answer ConsolePrompt::ShowMessage(const std::string& text, const std::string& caption,
                                              Buttons buttons, Icon) {
    const bool question = IsQuestion(buttons);
    if (!answers_.quiet || (question && !answers_.yes)) Print(text, caption);
    if (!question) return Answer::Ok;
    if (answers_.yes) {
        switch (buttons) {
            case Buttons::OkCancel:
                return Answer::Ok;
            case Buttons::RetryCancel:
                return Answer::Retry;
            default:
                return Answer::Yes;
        }
    }
    Unanswerable("this question needs an answer: give --yes to answer yes");
    return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
}

std::optional<std::string> ConsolePrompt::AskFolder(const std::string&) {
    return answers_.folder;
}

std::optional<std::string> ConsolePrompt::AskSaveFileName(const std::string&, const std::string&,
                                                          const std::string&) {
    if (answers_.saveName.empty()) {
        Unanswerable("the file needs another name: give --light-db-name FILE");
        return std::nullopt;
    }
    // A save-as dialog asks before it replaces a file.
    if (platform::FileSystem::Exists(answers_.saveName) && !answers_.yes) {
        const std::string shown = platform::PathMap::ToNative(answers_.saveName);
        std::fprintf(stderr, "pennawick-convert: %s already exists\n", shown.c_str());
        Unanswerable("give --yes to replace it");
        return std::nullopt;
    }
    return answers_.saveName;
}
