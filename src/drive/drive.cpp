// Placeholder until implemented.
#include "drive/drive.h"
