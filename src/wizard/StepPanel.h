#pragma once

#include <QWidget>
#include <array>

class ColorStatic;

// The eight steps of a conversion down the left of every page, the current one highlighted. The
// steps of dialogs 136 and 137 have no page, so they are never highlighted.
class StepPanel {
public:
    static constexpr int kStepCount = 8;
    static constexpr int kFirstLabelId = 1020;

    // Builds the frame and the labels on the page; dialogId picks the wording of step 2.
    StepPanel(QWidget* page, int dialogId);

    // Takes the highlight from every step and gives it to the step of the dialog.
    void Highlight(int dialogId);
    ColorStatic* Label(int index) const { return labels_[index]; }

private:
    std::array<ColorStatic*, kStepCount> labels_{};
};
