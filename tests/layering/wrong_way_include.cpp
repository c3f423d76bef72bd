// Compiled as a source of the drive library would be: its own folder's header is found, a
// header of run (ORLEX_RUN_HEADER, one that exists) is not. It must not compile.
#include "drive/drive.h"
#include ORLEX_RUN_HEADER
