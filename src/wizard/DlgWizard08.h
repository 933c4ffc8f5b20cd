#pragma once

#include "wizard/DlgBasePPage.h"

class QLabel;

// Step 6: the end of the conversion; Finish closes the wizard.
class DlgWizard08 : public DlgBasePPage {
    Q_OBJECT
public:
    explicit DlgWizard08(QWidget* parent = nullptr);

protected:
    void OnInitDialog() override;

private:
    QLabel* picture_;
};
