// Placeholder until implemented.
#include "drive/ports/open_port.h"
