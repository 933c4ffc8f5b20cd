#include "ScriptedUserPrompt.h"

ScriptedUserPrompt::ScriptedUserPrompt() : previous_(UserPrompt::Installed()) {
    UserPrompt::Install(this);
}

ScriptedUserPrompt::~ScriptedUserPrompt() {
    UserPrompt::Install(previous_);
}

UserPrompt::Answer ScriptedUserPrompt::ShowMessage(const std::string& text,
                                                   const std::string& caption, Buttons buttons,
                                                   Icon icon) {
    messages.push_back({text, caption, buttons, icon});
    if (!answers.empty()) {
        Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    switch (buttons) {
        case Buttons::YesNo:
        case Buttons::YesNoCancel:
            return Answer::Yes;
        case Buttons::RetryCancel:
            return Answer::Retry;
        default:
            return Answer::Ok;
    }
}

std::optional<std::string> ScriptedUserPrompt::AskFolder(const std::string& title) {
    folderTitles.push_back(title);
    if (folders.empty()) return std::nullopt;
    std::optional<std::string> answer = folders.front();
    folders.pop_front();
    return answer;
}

std::optional<std::string> ScriptedUserPrompt::AskSaveFileName(const std::string& title,
                                                               const std::string&,
                                                               const std::string&) {
    fileTitles.push_back(title);
    if (fileNames.empty()) return std::nullopt;
    std::optional<std::string> answer = fileNames.front();
    fileNames.pop_front();
    return answer;
}
