#include "wizard/UserChoiceDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "support/UserPrompt.h"
#include "wizard/DialogFont.h"

UserChoiceDialog::UserChoiceDialog(const std::vector<std::string>& users, const std::string& root,
                                   QWidget* parent)
    : QDialog(parent), list_(new QListWidget(this)) {
    setWindowTitle(QString::fromLatin1(UserPrompt::ApplicationTitle()));
    setFont(DialogFont::Font());
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("「%1」には複数のユーザーがいます。\n"
                                            "お気に入りを読み込むユーザーを選んでください。")
                                 .arg(QString::fromStdString(root)),
                             this);
    layout->addWidget(label);
    for (const std::string& user : users) list_->addItem(QString::fromStdString(user));
    list_->setCurrentRow(0);
    layout->addWidget(list_);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

std::optional<std::string> UserChoiceDialog::Chosen() const {
    const QListWidgetItem* item = list_->currentItem();
    if (result() != QDialog::Accepted || !item) return std::nullopt;
    return item->text().toStdString();
}

std::optional<std::string> UserChoiceDialog::Ask(const std::vector<std::string>& users,
                                                 const std::string& root) {
    UserChoiceDialog dialog(users, root);
    dialog.exec();
    return dialog.Chosen();
}
