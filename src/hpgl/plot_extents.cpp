// Placeholder until implemented.
#include "hpgl/plot_extents.h"
