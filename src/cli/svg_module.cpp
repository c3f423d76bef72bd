// The module that carries the SVG import (and Qt) for the command-line tool.
#include "cli/svg_module.h"

#include "import/svg_import.h"

extern "C" __attribute__((visibility("default"))) const orlex::SvgImporter* orlex_svg_module_functions()
{
    static const orlex::SvgImporter importer = orlex::linkedSvgImporter();
    return &importer;
}
