#include "wizard/DlgWizard08.h"

DlgWizard08::DlgWizard08(QWidget* parent) : DlgBasePPage(141, parent) {
    picture_ = AddPicture(1049, 104, 7);
}

void DlgWizard08::OnInitDialog() {
    ShowBitmap(picture_, 152);
}
