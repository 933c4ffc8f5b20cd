#pragma once

#include "wizard/DlgBasePPage.h"

class ConversionWorkflow;
class ProfileListView;
class QPushButton;

// Step 2: lists every detected browser profile; the import button loads the selected one.
class DlgWizard02 : public DlgBasePPage {
    Q_OBJECT
public:
    explicit DlgWizard02(ConversionWorkflow& workflow, QWidget* parent = nullptr);

protected:
    void OnInitDialog() override;

private:
    void OnBtnload();

    ConversionWorkflow& workflow_;
    ProfileListView* list_;
    QPushButton* load_;
};
