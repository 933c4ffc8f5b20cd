#include "wizard/DlgWizard06.h"

#include <QLabel>
#include <QPushButton>

#include "wizard/BusyCursor.h"
#include "wizard/ColorButton.h"

DlgWizard06::DlgWizard06(ConversionWorkflow& workflow, QWidget* parent)
    : DlgBasePPage(139, parent), workflow_(workflow) {
    picture_ = AddPicture(1049, 104, 7);
    using W = ConversionWorkflow;
    formats_[W::kKorvadel] = AddTickBox(1044, "Korvadelのデータを出力", 114, 148);
    formats_[W::kNetscape4] = AddTickBox(1047, "Netscape 4.xの形式で出力", 237, 148);
    formats_[W::kInternetExplorer] = AddTickBox(1045, "MS-InternetExplorerの形式で出力", 114, 161);
    formats_[W::kNetscape6] = AddTickBox(1046, "Netscape 6.xの形式で出力", 237, 161);
    formats_[W::kOpera6] = AddTickBox(1050, "Opera6の形式で出力", 114, 176);
    formats_[W::kNetscape7] = AddTickBox(1048, "Netscape 7.xの形式で出力", 237, 176);
    QPushButton* create = AddButton(1032, "お気に入り作成", 296, 203, 60, 17);
    connect(create, &QPushButton::clicked, this, &DlgWizard06::OnBtnCreate);
}

void DlgWizard06::OnInitDialog() {
    ShowBitmap(picture_, 151);
    for (ColorButton* box : formats_) box->SetColor(PageBackground());
    workflow_.OpenCreationPage();
}

void DlgWizard06::OnBtnCreate() {
    std::array<bool, ConversionWorkflow::kFormatCount> ticked{};
    for (size_t i = 0; i < formats_.size(); ++i) ticked[i] = formats_[i]->isChecked();
    {
        BusyCursor busy;
        workflow_.CreateFavorites(ticked);
    }
    QuitOnRequest();
}

bool DlgWizard06::OnWizardNext() {
    return workflow_.ConfirmLeavingCreation();
}
