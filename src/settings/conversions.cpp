// Placeholder until implemented.
#include "settings/conversions.h"
