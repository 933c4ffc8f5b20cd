#include "app/Workflow.h"
#include "records/URLDB.h"
