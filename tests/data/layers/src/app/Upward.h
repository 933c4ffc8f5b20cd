#include "support/Log.h"
#include "wizard/Page.h"
