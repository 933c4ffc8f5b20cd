#include "wizard/DlgWizard05.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <string>

#include "records/URLDB.h"
#include "selection/ExtractionConditions.h"
#include "wizard/ColorButton.h"
#include "wizard/ColorStatic.h"
#include "wizard/DialogFont.h"
#include "wizard/QtText.h"

namespace {

using Values = ExtractionConditions::Values;

constexpr auto kStatusFields = ExtractionConditions::kStatusFields;
constexpr auto kRangeFields = ExtractionConditions::kRangeFields;

QLineEdit* NumberField(QWidget* page) {
    auto* field = new QLineEdit(page);
    field->setAlignment(Qt::AlignCenter);
    field->setMaxLength(static_cast<int>(ExtractionConditions::kCountDigitsMax));
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    return field;
}

QComboBox* RangeList(QWidget* page) {
    auto* list = new QComboBox(page);
    for (int i = 0; i < ExtractionConditions::kRangeCount; ++i) {
        list->addItem(QtText::FromInternal(ExtractionConditions::RangeText(i)));
    }
    return list;
}

}  // namespace

DlgWizard05::DlgWizard05(ExtractionConditions& conditions, const URLDB& database, QWidget* parent)
    : DlgBasePPage(138, parent), conditions_(conditions), database_(database) {
    BuildControls();
}

void DlgWizard05::BuildControls() {
    // Frames first, so that the controls inside them lie on top.
    ColorStatic* counts = AddLabel(1045, "抽出対象回数", 103, 70, 136, 59);
    ColorStatic* times = AddLabel(1046, "日時指定による抽出", 103, 132, 137, 78);
    counts->SetFrameMode(true);
    times->SetFrameMode(true);
    auto* statusFrame = new QGroupBox(this);
    Place(statusFrame, 0, 249, 68, 107, 128);

    AddLabel(1047, "抽出する条件を設定してください。", 174, 7, 121, 17);
    deleteUnheld_ =
        AddTickBox(1019, "Korvadelが保持していないURLは削除対象とする", 123, 36, 216, 18);
    AddLabel(1035, "参照回数：", 123, 87, 37, 14);
    referenceCount_ = NumberField(this);
    Place(referenceCount_, 1012, 168, 86, 32, 14);
    AddLabel(1037, "回以上", 205, 86, 22, 14);
    AddLabel(1036, "エラー回数：", 116, 107, 43, 14);
    errorCount_ = NumberField(this);
    Place(errorCount_, 1018, 169, 107, 32, 14);
    AddLabel(1038, "回以上", 206, 107, 25, 14);

    struct ListAt {
        int labelId;
        const char* label;
        int labelX, labelY, listId, listX, listY;
    };
    // Listed in the order of kRangeFields.
    const ListAt lists[kRangeLists] = {
        {1039, "初回日時：", 109, 143, 1011, 111, 159},
        {1041, "最終参照日時：", 108, 175, 1015, 111, 190},
        {1040, "最終更新要求日時：", 176, 143, 1016, 178, 159},
        {1042, "最終正常日時：", 176, 175, 1017, 178, 190},
    };
    for (int i = 0; i < kRangeLists; ++i) {
        AddLabel(lists[i].labelId, lists[i].label, lists[i].labelX, lists[i].labelY);
        ranges_[i] = RangeList(this);
        Place(ranges_[i], lists[i].listId, lists[i].listX, lists[i].listY, 58, 0);
    }

    statusSelect_ = AddTickBox(1010, "収集する状態を選別", 257, 66, 75, 11);
    struct BoxAt {
        int id;
        const char* text;
        int x, y;
    };
    const BoxAt boxes[kStatusCount] = {
        {1053, "未収集URL", 258, 81}, {1054, "300番以下", 258, 101}, {1055, "400番以上", 258, 121},
        {1057, "401番", 271, 133},    {1058, "403番", 309, 133},     {1056, "500番以上", 258, 157},
        {1059, "500番", 270, 169},    {1060, "503番", 308, 169},
    };
    for (int i = 0; i < kStatusCount; ++i) {
        status_[i] = AddTickBox(boxes[i].id, boxes[i].text, boxes[i].x, boxes[i].y);
    }
    QPushButton* reset = AddButton(1043, "設定の初期化", 296, 203, 60, 17);

    connect(statusSelect_, &QCheckBox::clicked, this, &DlgWizard05::ApplyStatusRule);
    connect(status_[k400OrMore], &QCheckBox::clicked, this, &DlgWizard05::OnStatus400Clicked);
    connect(status_[k500OrMore], &QCheckBox::clicked, this, &DlgWizard05::OnStatus500Clicked);
    connect(reset, &QPushButton::clicked, this, &DlgWizard05::OnResetClicked);
}

void DlgWizard05::OnInitDialog() {
    for (ColorButton* box : status_) box->SetColor(PageBackground());
    deleteUnheld_->SetColor(PageBackground());
    statusSelect_->SetColor(PageBackground());
    for (const char* id :
         {"1035", "1036", "1037", "1038", "1039", "1040", "1041", "1042", "1045", "1046", "1047"}) {
        if (auto* label = findChild<ColorStatic*>(QString::fromLatin1(id))) {
            label->SetColor(PageBackground());
        }
    }

    const Values& values = conditions_.GetValues();
    deleteUnheld_->setChecked(values.DeleteUnheld != 0);
    errorCount_->setText(QString::number(values.MinErrorCount));
    referenceCount_->setText(QString::number(values.MinReferenceCount));
    statusSelect_->setChecked(values.StatusSelect != 0);
    ApplyStatusRule();
    for (int i = 0; i < kRangeLists; ++i) ranges_[i]->setCurrentIndex(values.*kRangeFields[i]);

    // Without Korvadel records there is nothing the conditions could test.
    if (database_.GetCount() == 0) {
        for (QWidget* control : std::initializer_list<QWidget*>{deleteUnheld_, referenceCount_,
                                                                errorCount_, statusSelect_}) {
            control->setEnabled(false);
        }
        for (QComboBox* list : ranges_) list->setEnabled(false);
    }
}

void DlgWizard05::ApplyStatusRule() {
    bool select = statusSelect_->isChecked();
    const Values shown = select ? conditions_.GetValues() : Values{};
    for (int i = 0; i < kStatusCount; ++i) {
        status_[i]->setChecked(shown.*kStatusFields[i] != 0);
        status_[i]->setEnabled(select);
    }
    if (select) {
        OnStatus400Clicked();
        OnStatus500Clicked();
    }
}

void DlgWizard05::OnStatus400Clicked() {
    bool open = !status_[k400OrMore]->isChecked();
    status_[k401]->setEnabled(open);
    status_[k403]->setEnabled(open);
}

void DlgWizard05::OnStatus500Clicked() {
    bool open = !status_[k500OrMore]->isChecked();
    status_[k500]->setEnabled(open);
    status_[k503]->setEnabled(open);
}

void DlgWizard05::OnResetClicked() {
    deleteUnheld_->setChecked(false);
    for (QLineEdit* field : {referenceCount_, errorCount_}) {
        field->setText(QStringLiteral("0"));
        field->setEnabled(false);
    }
    statusSelect_->setChecked(false);
    ApplyStatusRule();
    for (QComboBox* list : ranges_) list->setCurrentIndex(ExtractionConditions::kRangeAll);
}

bool DlgWizard05::OnWizardNext() {
    Values values = conditions_.GetValues();
    values.DeleteUnheld = deleteUnheld_->isChecked() ? 1 : 0;
    for (int i = 0; i < kRangeLists; ++i) values.*kRangeFields[i] = ranges_[i]->currentIndex();
    values.MinReferenceCount =
        ExtractionConditions::ParseCount(referenceCount_->text().toStdString());
    values.MinErrorCount = ExtractionConditions::ParseCount(errorCount_->text().toStdString());
    values.StatusSelect = statusSelect_->isChecked() ? 1 : 0;
    // Each status box is stored as shown, enabled or not.
    for (int i = 0; i < kStatusCount; ++i) {
        values.*kStatusFields[i] = status_[i]->isChecked() ? 1 : 0;
    }
    conditions_.SetValues(values);
    return true;
}
