// Placeholder until implemented.
#include "drive/ports/tracing_port.h"
