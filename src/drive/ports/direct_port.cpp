// Placeholder until implemented.
#include "drive/ports/direct_port.h"
