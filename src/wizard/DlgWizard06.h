#pragma once

#include <array>

#include "app/ConversionWorkflow.h"
#include "wizard/DlgBasePPage.h"

class ColorButton;
class QLabel;

// Step 4: one tick box per output format and the button that writes the ticked ones below a
// folder the user picks. Next asks before going on when nothing was written.
class DlgWizard06 : public DlgBasePPage {
    Q_OBJECT
public:
    explicit DlgWizard06(ConversionWorkflow& workflow, QWidget* parent = nullptr);

protected:
    void OnInitDialog() override;
    bool OnWizardNext() override;

private:
    void OnBtnCreate();

    ConversionWorkflow& workflow_;
    QLabel* picture_;
    // Indexed by ConversionWorkflow::Format.
    std::array<ColorButton*, ConversionWorkflow::kFormatCount> formats_{};
};
