#include "wizard/StepPanel.h"

#include <QGroupBox>
#include <QLabel>

#include "wizard/ColorStatic.h"
#include "wizard/DialogFont.h"

namespace {

constexpr int kFirstDialogId = 134;

struct Step {
    int y;
    const char* text;
};

constexpr Step kSteps[StepPanel::kStepCount] = {
    {45, "Korvadel取込"},         {67, "I.E.お気に入り取込"},
    {89, "N.C.x.お気に入り取込"}, {111, "その他お気に入り取込"},
    {133, "抽出条件設定"},        {155, "お気に入り作成"},
    {177, "お気に入りコピー"},    {199, "完了"},
};

void Sink(QLabel* label) {
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
}

}  // namespace

StepPanel::StepPanel(QWidget* page, int dialogId) {
    auto* frame = new QGroupBox(page);
    frame->setGeometry(DialogFont::ToPixels(6, 7, 89, 213));

    auto* title = new QLabel(QString::fromUtf8("作　業　状　況"), page);
    title->setGeometry(DialogFont::ToPixels(13, 19, 76, 16));
    Sink(title);

    for (int i = 0; i < kStepCount; ++i) {
        const char* text = kSteps[i].text;
        // The Internet Explorer step is named for all browsers on the page that imports them.
        if (i == 1 && dialogId == kFirstDialogId + 1) text = "お気に入り取込";
        auto* label = new ColorStatic(QString::fromUtf8(text), page);
        label->setObjectName(QString::number(kFirstLabelId + i));
        label->setGeometry(DialogFont::ToPixels(13, kSteps[i].y, 76, 16));
        Sink(label);
        labels_[i] = label;
    }
}

void StepPanel::Highlight(int dialogId) {
    for (ColorStatic* label : labels_) label->SetHighlight(false);
    int index = dialogId - kFirstDialogId;
    if (index >= 0 && index < kStepCount) labels_[index]->SetHighlight(true);
}
