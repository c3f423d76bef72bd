// Placeholder until implemented.
#include "preview/zoom.h"
