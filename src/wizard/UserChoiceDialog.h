#pragma once

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

class QListWidget;

// Asks which user's bookmarks to read when a Windows drive holds several profiles: a list of the
// profile names, "OK" and "キャンセル". Shown before the wizard's first page.
class UserChoiceDialog : public QDialog {
    Q_OBJECT

public:
    // users: UTF-8 profile folder names; root: the drive, as the user gave it (UTF-8).
    UserChoiceDialog(const std::vector<std::string>& users, const std::string& root,
                     QWidget* parent = nullptr);

    // The user picked (UTF-8), nothing when the dialog was cancelled.
    std::optional<std::string> Chosen() const;

    // Shows the dialog and returns the user picked.
    static std::optional<std::string> Ask(const std::vector<std::string>& users,
                                          const std::string& root);

private:
    QListWidget* list_;
};
