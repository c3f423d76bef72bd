// The plain writer's stream: the text goes on to `out` in blocks of some 64 KiB.
#include "hpgl/full/plain_hpgl_writer.h"

namespace orlex {

namespace {

constexpr std::size_t kBlockBytes = 64 * 1024;

} // namespace

PlainHpglWriter::PlainHpglWriter(std::ostream& out) : out_(out) {}

bool PlainHpglWriter::point(double x, double y, Pen pen)
{
    const bool written = writer_.point(x, y, pen);
    if (writer_.pending() >= kBlockBytes)
        out_ << writer_.take();
    return written && static_cast<bool>(out_);
}

void PlainHpglWriter::selectPen(char pen)
{
    writer_.selectPen(pen);
}

void PlainHpglWriter::finish()
{
    const Result<std::string> rest = writer_.finish();
    out_ << (rest ? *rest : writer_.take());
}

} // namespace orlex
