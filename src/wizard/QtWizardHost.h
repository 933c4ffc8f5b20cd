#pragma once

#include "app/WizardHost.h"

// Runs the conversion wizard modally on the application's shared objects.
class QtWizardHost : public WizardHost {
public:
    int Run(ConverterApp& app) override;

    // Closes the wizard as soon as its first page is on screen, for timing the start-up.
    void SetCloseWhenShown(bool close) { closeWhenShown_ = close; }

private:
    bool closeWhenShown_ = false;
};
