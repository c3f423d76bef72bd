// Placeholder until implemented.
#include "drive/ports/virtual_plotter.h"
