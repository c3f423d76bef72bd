// Writes a realistic HPGL plot file of about the requested size, for the benchmarks:
// IN;SP1; then pen-up moves and pen-down polylines, absolute and relative, with the
// separators real files use (";", ",", blanks, CR LF) and an occasional label.
//   gen_hpgl SIZE_BYTES OUTPUT [SEED]
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

class Writer {
public:
    explicit Writer(std::FILE* f) : f_(f) {}
    ~Writer() { flush(); }
    void put(const std::string& s)
    {
        buffer_ += s;
        written_ += s.size();
        if (buffer_.size() >= (1u << 20))
            flush();
    }
    void flush()
    {
        std::fwrite(buffer_.data(), 1, buffer_.size(), f_);
        buffer_.clear();
    }
    std::uint64_t written() const { return written_; }

private:
    std::FILE* f_;
    std::string buffer_;
    std::uint64_t written_ = 0;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: gen_hpgl SIZE_BYTES OUTPUT [SEED]\n");
        return 2;
    }
    const std::uint64_t target = std::strtoull(argv[1], nullptr, 10);
    std::FILE* f = std::fopen(argv[2], "wb");
    if (!f) {
        std::perror(argv[2]);
        return 1;
    }
    std::mt19937 rng(argc > 3 ? static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10)) : 1u);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };

    // Coordinates stay inside a 140 mm square (5600 plotter units), so the plot fits.
    constexpr int kSize = 5600;
    int x = 0, y = 0;
    auto clampStep = [](int pos, int d) { return (pos + d < 0 || pos + d > kSize) ? -d : d; };
    auto separator = [&]() -> std::string {
        switch (pick(0, 9)) {
        case 0: return " ";
        case 1: return ", ";
        case 2: return "\r\n";
        default: return ",";
        }
    };
    auto terminator = [&]() -> std::string {
        switch (pick(0, 3)) {
        case 0: return ";\r\n";
        case 1: return "; ";
        default: return ";";
        }
    };

    Writer out(f);
    out.put("IN;SP1;\r\n");
    while (out.written() < target) {
        const int kind = pick(0, 99);
        std::string cmd;
        if (kind < 40) { // move, then an absolute polyline
            x = pick(0, kSize);
            y = pick(0, kSize);
            cmd = "PU" + std::to_string(x) + "," + std::to_string(y) + terminator() + "PD";
            const int n = pick(1, 12);
            for (int i = 0; i < n; ++i) {
                x = std::min(kSize, std::max(0, x + pick(-300, 300)));
                y = std::min(kSize, std::max(0, y + pick(-300, 300)));
                if (i)
                    cmd += separator();
                cmd += std::to_string(x) + separator() + std::to_string(y);
            }
            cmd += terminator();
        } else if (kind < 70) { // relative polyline
            cmd = "PR";
            const int n = pick(1, 10);
            for (int i = 0; i < n; ++i) {
                const int dx = clampStep(x, pick(-200, 200));
                const int dy = clampStep(y, pick(-200, 200));
                x += dx;
                y += dy;
                if (i)
                    cmd += separator();
                cmd += std::to_string(dx) + separator() + std::to_string(dy);
            }
            cmd += terminator() + "PA" + terminator();
        } else if (kind < 85) { // pen down, absolute, one pair per command
            x = std::min(kSize, std::max(0, x + pick(-100, 100)));
            y = std::min(kSize, std::max(0, y + pick(-100, 100)));
            cmd = "PD" + std::to_string(x) + " " + std::to_string(y) + terminator();
        } else if (kind < 97) { // PA with pen up, then pen down in place
            x = pick(0, kSize);
            y = pick(0, kSize);
            cmd = "PU;PA" + std::to_string(x) + "," + std::to_string(y) + ";PD;" + terminator();
        } else if (kind < 99) { // a short label (text passes the interpreter as separators)
            cmd = "LBorlex " + std::to_string(pick(1, 999)) + "\x03" + terminator();
        } else {
            cmd = "SP" + std::to_string(pick(1, 2)) + terminator();
        }
        out.put(cmd);
    }
    out.put("PU;SP0;\r\n");
    out.flush();
    if (std::fclose(f) != 0) {
        std::perror(argv[2]);
        return 1;
    }
    return 0;
}
