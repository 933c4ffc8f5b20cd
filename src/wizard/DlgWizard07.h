#pragma once

#include "wizard/DlgBasePPage.h"

class ConversionWorkflow;
class ProfileListView;

// Step 5: the profiles again, now with their imported counts, and two buttons that open the
// selected profile's own favorites folder and the folder written for its browser.
class DlgWizard07 : public DlgBasePPage {
    Q_OBJECT
public:
    explicit DlgWizard07(ConversionWorkflow& workflow, QWidget* parent = nullptr);

protected:
    void OnInitDialog() override;

private:
    ConversionWorkflow& workflow_;
    ProfileListView* list_;
};
