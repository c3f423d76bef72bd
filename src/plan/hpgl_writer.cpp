// Plot events through the HPGL writer.
#include "plan/hpgl_writer.h"

namespace orlex {

Result<std::string> writeHpgl(const PlotEvents& events, HpglNumbers numbers)
{
    HpglWriter writer(numbers);
    for (const PlotEvent& event : events) {
        if (const SelectPen* sp = std::get_if<SelectPen>(&event)) {
            writer.selectPen(sp->pen);
        } else {
            const PlotPoint& p = std::get<PlotPoint>(event);
            if (!writer.point(p.x, p.y, p.penDown ? Pen::Down : Pen::Up))
                break;
        }
    }
    return writer.finish();
}

Result<std::string> writeHpgl(const OrderedPlot& plot)
{
    return writeHpgl(strokeEvents(plot.groups));
}

} // namespace orlex
