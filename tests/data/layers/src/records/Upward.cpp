#include "selection/ExtractionConditions.h"
#include "support/Log.h"
