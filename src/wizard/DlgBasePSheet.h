#pragma once

#include <QWizard>

class DlgBasePPage;

// The wizard frame: a classic-style wizard on the page colour with Japanese button texts and no
// help button. Pages keep their state for the whole run: each is initialised once, and going
// back leaves the page as it was. The Back button is the sheet's own, so that only the page
// decides when it is offered.
class DlgBasePSheet : public QWizard {
    Q_OBJECT
public:
    explicit DlgBasePSheet(QWidget* parent = nullptr);

    void AddPage(DlgBasePPage* page);
    // Enables Back, and shows Finish in place of Next with Cancel reading "閉じる".
    void SetWizardButtons(bool back, bool finish);
    QAbstractButton* BackButton() const { return button(QWizard::CustomButton1); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void OnPageChanged(int id);
};
