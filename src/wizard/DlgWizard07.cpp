#include "wizard/DlgWizard07.h"

#include <QLabel>
#include <QPushButton>

#include "app/ConversionWorkflow.h"
#include "wizard/ProfileListView.h"

namespace {

const char* const kDescription =
    "\n\n　　取込んだお気に入りを各形式に変換して出力します。\n\n"
    "　　各プロファイルのお気に入りファイルやフォルダを書き換えることはしません。\n\n"
    "　　書き換えたいプロファイルやブラウザ情報を選択してコピー元とコピー先を開き、\n\n"
    "　自己の責任でお気に入りの書き換えを行ってください。\n\n　　";

}  // namespace

DlgWizard07::DlgWizard07(ConversionWorkflow& workflow, QWidget* parent)
    : DlgBasePPage(140, parent), workflow_(workflow) {
    auto* description = new QLabel(QString::fromUtf8(kDescription), this);
    description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    description->setWordWrap(true);
    Place(description, 1049, 104, 7, 252, 99);
    list_ = new ProfileListView(this);
    Place(list_, 1051, 100, 110, 256, 61);
    QPushButton* source = AddButton(1035, "対象ブラウザ（プロファイル）のお気に入りフォルダを開く",
                                    165, 177, 191, 17);
    QPushButton* output =
        AddButton(1036, "生成したお気に入りの格納元フォルダを開く", 165, 201, 191, 17);
    connect(source, &QPushButton::clicked, this,
            [this] { workflow_.OpenSourceFolder(list_->SelectedRow()); });
    connect(output, &QPushButton::clicked, this,
            [this] { workflow_.OpenOutputFolder(list_->SelectedRow()); });
}

void DlgWizard07::OnInitDialog() {
    list_->Fill(workflow_.ListProfiles());
}
