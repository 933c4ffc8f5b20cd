#include "records/URLDB.h"
#include "app/Workflow.h"
