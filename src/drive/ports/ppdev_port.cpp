// Placeholder until implemented.
#include "drive/ports/ppdev_port.h"
