// Placeholder until implemented.
#include "hpgl/drawfile.h"
