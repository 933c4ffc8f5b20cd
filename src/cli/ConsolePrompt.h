#pragma once

#include <optional>
#include <string>

#include "support/UserPrompt.h"

// The user prompt of the command line. Messages go to standard error as UTF-8, one paragraph
// each (the caption, when there is one, leads it). Nobody is asked anything: questions are
// answered from the options (--yes for yes/no and overwriting, --light-db-name for the save-as
// question, --output for the folder); a question without its answer is printed with the option
// that would answer it, answered "no" or "cancel", and remembered, so that the run fails.
class ConsolePrompt : public UserPrompt {
public:
    struct Answers {
        bool yes = false;
        std::string folder;    // internal path of the output folder
        std::string saveName;  // internal path for the save-as question; empty for none
        bool quiet = false;    // print only the questions left unanswered
    };

    explicit ConsolePrompt(Answers answers);

    Answer ShowMessage(const std::string& text, const std::string& caption, Buttons buttons,
                       Icon icon) override;
    std::optional<std::string> AskFolder(const std::string& title) override;
    std::optional<std::string> AskSaveFileName(const std::string& title,
                                               const std::string& defaultName,
                                               const std::string& filter) override;

    // Whether a question went without an answer.
    bool Unanswered() const { return unanswered_; }

private:
    void Print(const std::string& text, const std::string& caption) const;
    void Unanswerable(const char* hint);

    Answers answers_;
    bool unanswered_ = false;
};
