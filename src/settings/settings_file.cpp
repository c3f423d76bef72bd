// Placeholder until implemented.
#include "settings/settings_file.h"
