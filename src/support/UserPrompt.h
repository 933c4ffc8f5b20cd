#pragma once

#include <optional>
#include <string>

// The one way the core talks to the user: message boxes, a folder chooser and a save-as dialog.
// Texts are internal text (Shift-JIS). The wizard installs a Qt implementation, tests a scripted
// one; without any, messages are logged and answered with their default button.
class UserPrompt {
public:
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
    enum class Icon { None, Information, Warning, Error, Question };
    enum class Answer { Ok, Cancel, Yes, No, Retry };

    virtual ~UserPrompt() = default;

    // Shows a message and returns the button pressed. An empty caption means the application's
    // title, "Pennawick".
    virtual Answer ShowMessage(const std::string& text, const std::string& caption, Buttons buttons,
                               Icon icon) = 0;
    // Asks for a folder; nothing when the user cancels. The answer is an internal path.
    virtual std::optional<std::string> AskFolder(const std::string& title) = 0;
    // Asks for a file name to save to; nothing when the user cancels.
    virtual std::optional<std::string> AskSaveFileName(const std::string& title,
                                                       const std::string& defaultName,
                                                       const std::string& filter) = 0;

    // The installed prompt (not owned); the default one when none is installed.
    // Installing null restores the default.
    static void Install(UserPrompt* prompt);
    static UserPrompt* Installed();
    static UserPrompt& Current();

    // Shorthand: a message with the application's title.
    static Answer Show(const std::string& text, Buttons buttons = Buttons::Ok,
                       Icon icon = Icon::None);

    static const char* ApplicationTitle() { return "Pennawick"; }
};
