#include "app/Workflow.h"
