#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "support/UserPrompt.h"

// A UserPrompt for tests: records everything shown and answers from queues. It installs itself
// while it lives. Without a queued answer, a message is answered with its first button and a
// folder or file question with nothing.
class ScriptedUserPrompt : public UserPrompt {
public:
    struct Message {
        std::string text;     // internal text
        std::string caption;  // internal text, "" for the application's title
        Buttons buttons;
        Icon icon;
    };

    ScriptedUserPrompt();
    ~ScriptedUserPrompt() override;

    Answer ShowMessage(const std::string& text, const std::string& caption, Buttons buttons,
                       Icon icon) override;
    std::optional<std::string> AskFolder(const std::string& title) override;
    std::optional<std::string> AskSaveFileName(const std::string& title,
                                               const std::string& defaultName,
                                               const std::string& filter) override;

    std::deque<Answer> answers;
    std::deque<std::optional<std::string>> folders;
    std::deque<std::optional<std::string>> fileNames;

    std::vector<Message> messages;
    std::vector<std::string> folderTitles;
    std::vector<std::string> fileTitles;

private:
    UserPrompt* previous_;
};
