// Placeholder until implemented.
#include "drive/ports/null_port.h"
