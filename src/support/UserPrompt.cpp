#include "support/UserPrompt.h"

#include "support/Log.h"

namespace {

// Without a window system to ask, a message is logged and answered with its first button.
class LoggingUserPrompt : public UserPrompt {
public:
    Answer ShowMessage(const std::string& text, const std::string& caption, Buttons buttons,
                       Icon) override {
        LogMessage(LOG_W, "UserPrompt::ShowMessage [%s] %s",
                   caption.empty() ? ApplicationTitle() : caption.c_str(), text.c_str());
        switch (buttons) {
            case Buttons::Ok:
            case Buttons::OkCancel:
                return Answer::Ok;
            case Buttons::YesNo:
            case Buttons::YesNoCancel:
                return Answer::Yes;
            case Buttons::RetryCancel:
                return Answer::Retry;
        }
        return Answer::Ok;
    }
    std::optional<std::string> AskFolder(const std::string&) override { return std::nullopt; }
    std::optional<std::string> AskSaveFileName(const std::string&, const std::string&,
                                               const std::string&) override {
        return std::nullopt;
    }
};

LoggingUserPrompt defaultPrompt;
UserPrompt* installed = nullptr;

}  // namespace

void UserPrompt::Install(UserPrompt* prompt) {
    installed = prompt;
}

UserPrompt* UserPrompt::Installed() {
    return installed;
}

UserPrompt& UserPrompt::Current() {
    return installed ? *installed : defaultPrompt;
}

UserPrompt::Answer UserPrompt::Show(const std::string& text, Buttons buttons, Icon icon) {
    return Current().ShowMessage(text, std::string(), buttons, icon);
}
