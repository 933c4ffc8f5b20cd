#pragma once

#include "support/UserPrompt.h"

// The user prompt of the window: Qt message boxes with Japanese button texts, the folder chooser
// and the save-as dialog. Dialogs take the busy cursor off while they ask.
class QtUserPrompt : public UserPrompt {
public:
    Answer ShowMessage(const std::string& text, const std::string& caption, Buttons buttons,
                       Icon icon) override;
    std::optional<std::string> AskFolder(const std::string& title) override;
    // The filter may be given as "description|pattern|...|" pairs.
    std::optional<std::string> AskSaveFileName(const std::string& title,
                                               const std::string& defaultName,
                                               const std::string& filter) override;
};
