#include "wizard/DlgWizard02.h"

#include <QPushButton>

#include "wizard/BusyCursor.h"
#include "wizard/ProfileListView.h"

DlgWizard02::DlgWizard02(ConversionWorkflow& workflow, QWidget* parent)
    : DlgBasePPage(135, parent), workflow_(workflow) {
    list_ = new ProfileListView(this);
    Place(list_, 1051, 100, 7, 256, 185);
    load_ = AddButton(1052, "取　込", 310, 203, 46, 17);
    connect(load_, &QPushButton::clicked, this, &DlgWizard02::OnBtnload);
}

void DlgWizard02::OnInitDialog() {
    list_->Fill(workflow_.ListProfiles());
}

void DlgWizard02::OnBtnload() {
    int row = list_->SelectedRow();
    bool loaded;
    {
        BusyCursor busy;
        loaded = workflow_.ImportProfile(row);
    }
    if (loaded) list_->SetRow(row, workflow_.RowAt(row));
    QuitOnRequest();
}
