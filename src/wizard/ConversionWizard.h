#pragma once

#include "app/ConversionWorkflow.h"
#include "wizard/DlgBasePSheet.h"

class ConverterApp;

// The six-page conversion wizard on the application's shared objects: Korvadel import, browser
// import, conditions, creation, copy, finish. It holds the workflow the pages act through.
class ConversionWizard : public DlgBasePSheet {
    Q_OBJECT
public:
    // The application's shared objects must all exist.
    explicit ConversionWizard(ConverterApp& app, QWidget* parent = nullptr);

    ConversionWorkflow& Workflow() { return workflow_; }

private:
    ConversionWorkflow workflow_;
};
