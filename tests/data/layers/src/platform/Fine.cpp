#include <string>

#include "platform/File.h"
