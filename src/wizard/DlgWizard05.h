#pragma once

#include <array>

#include "wizard/DlgBasePPage.h"

class ColorButton;
class ExtractionConditions;
class QComboBox;
class QLineEdit;
class URLDB;

// Step 3: the extraction conditions. The page shows the shared conditions when it first opens
// and stores what it shows back into them on Next; nothing is filtered here.
class DlgWizard05 : public DlgBasePPage {
    Q_OBJECT
public:
    DlgWizard05(ExtractionConditions& conditions, const URLDB& database, QWidget* parent = nullptr);

protected:
    void OnInitDialog() override;
    bool OnWizardNext() override;

private:
    // The eight status boxes, in the order of the conditions' status fields.
    enum Status { kUncollected, k300OrLess, k400OrMore, k401, k403, k500OrMore, k500, k503 };
    static constexpr int kStatusCount = 8;
    // The four time lists: first time, last reference, last request, last normal.
    static constexpr int kRangeLists = 4;

    void BuildControls();
    void ApplyStatusRule();
    void OnStatus400Clicked();
    void OnStatus500Clicked();
    void OnResetClicked();

    ExtractionConditions& conditions_;
    const URLDB& database_;
    ColorButton* deleteUnheld_ = nullptr;
    QLineEdit* referenceCount_ = nullptr;
    QLineEdit* errorCount_ = nullptr;
    std::array<QComboBox*, kRangeLists> ranges_{};
    ColorButton* statusSelect_ = nullptr;
    std::array<ColorButton*, kStatusCount> status_{};
};
