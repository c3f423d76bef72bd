// HPGL text from imported strokes, and the atomic SVG-to-HPGL file conversion.
#include "import/hpgl_writer.h"

#include <cerrno>
#include <charconv>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlex {

namespace {

void appendNumber(std::string& out, double value)
{
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, static_cast<long long>(value)).ptr;
    out.append(text, end);
}

void appendPoint(std::string& out, const std::pair<double, double>& p)
{
    appendNumber(out, p.first);
    out += ',';
    appendNumber(out, p.second);
}

// Writes all of `text` to `fd`.
bool writeAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::string toHpgl(const SvgDrawing& drawing)
{
    std::string out = "IN;";
    std::size_t points = 0;
    for (const PlotStroke& s : drawing.strokes)
        points += s.points.size();
    out.reserve(16 + points * 12 + drawing.strokes.size() * 8);
    int pen = 0;
    for (const PlotStroke& stroke : drawing.strokes) {
        if (stroke.points.empty())
            continue;
        if (stroke.pen != pen) {
            pen = stroke.pen;
            out += "SP";
            appendNumber(out, pen);
            out += ';';
        }
        out += "PU";
        appendPoint(out, stroke.points.front());
        out += ";PD";
        for (std::size_t i = 1; i < stroke.points.size(); ++i) {
            if (i > 1)
                out += ',';
            appendPoint(out, stroke.points[i]);
        }
        out += ";\n";
    }
    out += "PU;";
    return out;
}

Result<void> convertSvgToHpgl(const std::filesystem::path& in, const std::filesystem::path& out,
                              const SvgImportOptions& options)
{
    auto drawing = importSvg(in, options);
    if (!drawing)
        return drawing.error();
    const std::string text = toHpgl(*drawing);
    drawing->strokes.clear();

    const std::string target = out.string();
    const std::filesystem::path folder = out.parent_path().empty() ? "." : out.parent_path();
    std::string temporary = (folder / ("." + out.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return failure("cannot write " + target + ": " + std::strerror(errno));
    const auto fail = [&](const char* what) {
        const std::string reason = std::strerror(errno);
        ::unlink(temporary.c_str());
        return failure(std::string("cannot ") + what + " " + target + ": " + reason);
    };
    if (!writeAll(fd, text) || ::fsync(fd) != 0) {
        const auto error = fail("write");
        ::close(fd);
        return error;
    }
    if (::fchmod(fd, 0644) != 0 || ::close(fd) != 0)
        return fail("write");
    if (::rename(temporary.c_str(), target.c_str()) != 0)
        return fail("replace");
    // The rename is durable once the folder is flushed too.
    if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

} // namespace orlex
