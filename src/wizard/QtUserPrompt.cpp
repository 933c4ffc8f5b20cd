#include "wizard/QtUserPrompt.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <utility>
#include <vector>

#include "platform/PathMap.h"
#include "wizard/BusyCursor.h"
#include "wizard/QtText.h"

namespace {

using Buttons = UserPrompt::Buttons;
using Answer = UserPrompt::Answer;

struct ButtonText {
    Answer answer;
    const char* text;
    QMessageBox::ButtonRole role;
};

std::vector<ButtonText> ButtonsOf(Buttons buttons) {
    const ButtonText ok{Answer::Ok, "OK", QMessageBox::AcceptRole};
    const ButtonText cancel{Answer::Cancel, "キャンセル", QMessageBox::RejectRole};
    const ButtonText yes{Answer::Yes, "はい(&Y)", QMessageBox::YesRole};
    const ButtonText no{Answer::No, "いいえ(&N)", QMessageBox::NoRole};
    const ButtonText retry{Answer::Retry, "再試行(&R)", QMessageBox::AcceptRole};
    switch (buttons) {
        case Buttons::Ok:
            return {ok};
        case Buttons::OkCancel:
            return {ok, cancel};
        case Buttons::YesNo:
            return {yes, no};
        case Buttons::YesNoCancel:
            return {yes, no, cancel};
        case Buttons::RetryCancel:
            return {retry, cancel};
    }
    return {ok};
}

QMessageBox::Icon IconOf(UserPrompt::Icon icon) {
    switch (icon) {
        case UserPrompt::Icon::Information:
            return QMessageBox::Information;
        case UserPrompt::Icon::Warning:
            return QMessageBox::Warning;
        case UserPrompt::Icon::Error:
            return QMessageBox::Critical;
        case UserPrompt::Icon::Question:
            return QMessageBox::Question;
        case UserPrompt::Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// "Text files|*.txt|All|*.*||" as Qt's "Text files (*.txt);;All (*.*)".
QString QtFilter(const QString& filter) {
    if (!filter.contains(QLatin1Char('|'))) return filter;
    const QStringList parts = filter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList pairs;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        pairs << parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(';', ' ') +
                     QStringLiteral(")");
    }
    return pairs.join(QStringLiteral(";;"));
}

// Shows a dialog with the busy cursor taken off.
template <typename Ask>
auto WithoutBusyCursor(Ask ask) {
    int busy = BusyCursor::Suspend();
    auto result = ask();
    BusyCursor::Resume(busy);
    return result;
}

}  // namespace

UserPrompt::Answer QtUserPrompt::ShowMessage(const std::string& text, const std::string& caption,
                                             Buttons buttons, Icon icon) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption.empty() ? QString::fromLatin1(ApplicationTitle())
                                       : QtText::FromInternal(caption));
    box.setText(QtText::FromInternal(text));
    box.setIcon(IconOf(icon));
    std::vector<std::pair<QPushButton*, Answer>> answers;
    for (const ButtonText& b : ButtonsOf(buttons)) {
        answers.emplace_back(box.addButton(QString::fromUtf8(b.text), b.role), b.answer);
    }
    box.setDefaultButton(answers.front().first);
    WithoutBusyCursor([&box] { return box.exec(); });
    for (const auto& [button, answer] : answers) {
        if (box.clickedButton() == button) return answer;
    }
    // Closed without a button: the escape answer of the buttons.
    bool hasCancel = buttons == Buttons::OkCancel || buttons == Buttons::YesNoCancel ||
                     buttons == Buttons::RetryCancel;
    if (hasCancel) return Answer::Cancel;
    return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
}

std::optional<std::string> QtUserPrompt::AskFolder(const std::string& title) {
    QString folder = WithoutBusyCursor([&title] {
        return QFileDialog::getExistingDirectory(QApplication::activeWindow(),
                                                 QtText::FromInternal(title), QString(),
                                                 QFileDialog::ShowDirsOnly);
    });
    if (folder.isEmpty()) return std::nullopt;
    return platform::PathMap::ToInternal(folder.toStdString());
}

std::optional<std::string> QtUserPrompt::AskSaveFileName(const std::string& title,
                                                         const std::string& defaultName,
                                                         const std::string& filter) {
    QString file = WithoutBusyCursor([&] {
        return QFileDialog::getSaveFileName(
            QApplication::activeWindow(), QtText::FromInternal(title),
            QtText::FromInternal(defaultName), QtFilter(QtText::FromInternal(filter)));
    });
    if (file.isEmpty()) return std::nullopt;
    return platform::PathMap::ToInternal(file.toStdString());
}
