// Placeholder until implemented.
#include "drive/line_steps.h"
