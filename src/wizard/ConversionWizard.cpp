#include "wizard/ConversionWizard.h"

#include "app/ConverterApp.h"
#include "wizard/DlgWizard01.h"
#include "wizard/DlgWizard02.h"
#include "wizard/DlgWizard05.h"
#include "wizard/DlgWizard06.h"
#include "wizard/DlgWizard07.h"
#include "wizard/DlgWizard08.h"

ConversionWizard::ConversionWizard(ConverterApp& app, QWidget* parent)
    : DlgBasePSheet(parent), workflow_(app) {
    AddPage(new DlgWizard01(workflow_));
    AddPage(new DlgWizard02(workflow_));
    AddPage(new DlgWizard05(*app.GetExtractionConditions(), *app.GetURLDB()));
    AddPage(new DlgWizard06(workflow_));
    AddPage(new DlgWizard07(workflow_));
    AddPage(new DlgWizard08());
}
