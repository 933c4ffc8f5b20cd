#pragma once

#include "wizard/DlgBasePPage.h"

class ColorButton;
class ConversionWorkflow;
class QLabel;

// Step 1: import the Korvadel URL database, when its box is ticked, on Next.
class DlgWizard01 : public DlgBasePPage {
    Q_OBJECT
public:
    explicit DlgWizard01(ConversionWorkflow& workflow, QWidget* parent = nullptr);

protected:
    void OnInitDialog() override;
    bool OnWizardNext() override;

private:
    ConversionWorkflow& workflow_;
    ColorButton* import_;
    QLabel* picture_;
};
