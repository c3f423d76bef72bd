// Plain absolute HPGL out of plot events (see plain_hpgl_writer.h). Coordinates are
// rounded half to even to whole plotter units; a pen-down run is one PD list.
#include "hpgl/full/plain_hpgl_writer.h"

#include <cmath>

namespace orlex {

PlainHpglWriter::PlainHpglWriter(std::ostream& out) : out_(out)
{
    out_ << "PA;";
}

bool PlainHpglWriter::point(double x, double y, Pen pen)
{
    const char list = pen == Pen::Down ? 'D' : 'U';
    if (list != list_) {
        if (list_ != 0)
            out_ << ";\n";
        out_ << 'P' << list;
        list_ = list;
    } else {
        out_ << ',';
    }
    out_ << static_cast<long long>(std::nearbyint(x)) << ',' << static_cast<long long>(std::nearbyint(y));
    return static_cast<bool>(out_);
}

void PlainHpglWriter::selectPen(char pen)
{
    finish();
    out_ << "SP" << pen << ";\n";
}

void PlainHpglWriter::finish()
{
    if (list_ != 0)
        out_ << ";\n";
    list_ = 0;
}

} // namespace orlex
