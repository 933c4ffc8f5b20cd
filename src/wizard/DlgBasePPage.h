#pragma once

#include <QColor>
#include <QWizardPage>
#include <memory>

#include "wizard/StepPanel.h"

class ColorButton;
class ColorStatic;
class QLabel;
class QPushButton;

// The base of every wizard page: the page template (363 x 227 dialog units on the page colour),
// the step panel, one-time initialisation and the activation that highlights the page's step and
// sets the wizard buttons. Controls carry their dialog identifier as object name ("1048").
class DlgBasePPage : public QWizardPage {
    Q_OBJECT
public:
    static constexpr int kWidthUnits = 363;
    static constexpr int kHeightUnits = 227;

    explicit DlgBasePPage(int dialogId, QWidget* parent = nullptr);
    ~DlgBasePPage() override;

    int DialogId() const { return dialogId_; }
    StepPanel& Steps() { return *steps_; }
    bool IsInitialized() const { return initialized_; }

    static QColor PageBackground() { return QColor(222, 222, 208); }

    // Runs when the page becomes the current one: highlights its step, then sets the wizard
    // buttons (Finish only on dialog 141, Back and Next on 139, Next only elsewhere).
    virtual void OnSetActive();

    // QWizardPage: the first showing runs the page's own initialisation once; Next runs the
    // page's Next handler, which may keep the wizard on the page.
    void initializePage() override;
    bool validatePage() override;

protected:
    virtual void OnInitDialog() {}
    virtual bool OnWizardNext() { return true; }
    // Closes the wizard when the core asked the program to end; true when it did.
    bool QuitOnRequest();

    void paintEvent(QPaintEvent* event) override;

    // Controls at dialog-unit positions; a width of 0 gives the control the size of its text.
    ColorButton* AddTickBox(int id, const char* text, int x, int y, int width = 0, int height = 0);
    ColorStatic* AddLabel(int id, const char* text, int x, int y, int width = 0, int height = 0);
    QPushButton* AddButton(int id, const char* text, int x, int y, int width, int height);
    QLabel* AddPicture(int id, int x, int y);
    void ShowBitmap(QLabel* picture, int bitmapId);
    void Place(QWidget* control, int id, int x, int y, int width, int height);

private:
    int dialogId_;
    std::unique_ptr<StepPanel> steps_;
    bool initialized_ = false;
};
