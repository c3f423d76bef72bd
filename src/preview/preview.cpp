// Placeholder until implemented.
#include "preview/preview.h"
