#include "wizard/DlgWizard01.h"

#include "app/ConversionWorkflow.h"
#include "wizard/BusyCursor.h"
#include "wizard/ColorButton.h"

DlgWizard01::DlgWizard01(ConversionWorkflow& workflow, QWidget* parent)
    : DlgBasePPage(134, parent), workflow_(workflow) {
    picture_ = AddPicture(1049, 104, 7);
    import_ = AddTickBox(1048, "URLDBの取込を行う。", 105, 203, 93, 17);
}

void DlgWizard01::OnInitDialog() {
    import_->SetColor(PageBackground());
    import_->setChecked(true);
    ShowBitmap(picture_, 147);
}

bool DlgWizard01::OnWizardNext() {
    {
        BusyCursor busy;
        workflow_.ImportKorvadelDatabase(import_->isChecked());
    }
    return !QuitOnRequest();
}
