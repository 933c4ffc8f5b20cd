#include "app/ConversionWorkflow.h"
#include "wizard/DlgWizard01.h"
