// A long path's data cut into pieces that librsvg draws one by one.
#include "import/path_split.h"

#include <charconv>
#include <string>

namespace orlex {

namespace {

// A coordinate of the current point: its value as librsvg works it out, and where the data
// gave it absolutely, that text (written again as it was, it reads back to the same value).
struct Coordinate {
    double value = 0;
    qsizetype from = -1, length = 0;
};

struct Point {
    Coordinate x, y;
};

struct Segment {
    char16_t command;       // with repetitions made explicit: the pairs after M are L
    qsizetype firstArg = 0; // into the argument spans
    int args = 0;
    Point from;                   // the current point before it
    Point subpathStart;           // the start of the subpath in force before it
    qsizetype subpathSegment = 0; // the segment that began that subpath
};

int argumentCount(char16_t command)
{
    switch (command | 0x20) {
    case u'm':
    case u'l':
    case u't': return 2;
    case u'h':
    case u'v': return 1;
    case u'c': return 6;
    case u's':
    case u'q': return 4;
    case u'a': return 7;
    default: return 0;
    }
}

class Reader {
public:
    explicit Reader(QStringView data) : data_(data) {}

    // Every segment, or false when the data is not well-formed.
    bool read()
    {
        skipSpace();
        char16_t command = 0;
        while (at_ < data_.size()) {
            const char16_t c = data_[at_].unicode();
            if (argumentCount(c) > 0 || (c | 0x20) == u'z') {
                command = c;
                ++at_;
            } else if (command == 0 || (command | 0x20) == u'z') {
                return false; // numbers without a command
            }
            if (segments_.empty() && (command | 0x20) != u'm')
                return false;
            if (!segment(command))
                return false;
            if ((command | 0x20) == u'm')
                command = command == u'm' ? u'l' : u'L';
            skipSpace();
            if (at_ < data_.size() && data_[at_] == u',') { // between repetitions only, before a number
                skipSpace(true);
                if (at_ == data_.size() || argumentCount(data_[at_].unicode()) > 0
                    || (data_[at_].unicode() | 0x20) == u'z')
                    return false;
            }
        }
        return !segments_.empty();
    }

    QStringView data_;
    std::vector<Segment> segments_;
    std::vector<std::pair<qsizetype, qsizetype>> spans_; // the arguments' text: start, length

private:
    void skipSpace(bool comma = false)
    {
        while (at_ < data_.size()) {
            const char16_t c = data_[at_].unicode();
            if (c == u',' && comma)
                comma = false;
            else if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r' && c != u'\f')
                return;
            ++at_;
        }
    }

    bool number(double& value, bool flag)
    {
        const qsizetype start = at_;
        const auto digits = [&] {
            const qsizetype from = at_;
            while (at_ < data_.size() && data_[at_] >= u'0' && data_[at_] <= u'9')
                ++at_;
            return at_ > from;
        };
        if (flag) {
            if (at_ >= data_.size() || (data_[at_] != u'0' && data_[at_] != u'1'))
                return false;
            ++at_;
        } else {
            if (at_ < data_.size() && (data_[at_] == u'+' || data_[at_] == u'-'))
                ++at_;
            bool any = digits();
            if (at_ < data_.size() && data_[at_] == u'.') {
                ++at_;
                any = digits() || any;
            }
            if (!any)
                return false;
            if (at_ < data_.size() && (data_[at_] == u'e' || data_[at_] == u'E')) {
                const qsizetype mark = at_++;
                if (at_ < data_.size() && (data_[at_] == u'+' || data_[at_] == u'-'))
                    ++at_;
                if (!digits())
                    at_ = mark; // "2em": the e is no exponent
            }
        }
        std::string text = data_.sliced(start, at_ - start).toLatin1().toStdString();
        if (!text.empty() && text[0] == '+')
            text.erase(0, 1);
        const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
        if (parsed.ec != std::errc() || parsed.ptr != text.data() + text.size())
            return false;
        spans_.emplace_back(start, at_ - start);
        return true;
    }

    bool segment(char16_t command)
    {
        const int count = argumentCount(command);
        Segment s{command, qsizetype(spans_.size()), count, current_, start_, subpathSegment_};
        double v[7] = {};
        for (int i = 0; i < count; ++i) {
            skipSpace(i > 0);
            if (!number(v[i], (command | 0x20) == u'a' && (i == 3 || i == 4)))
                return false;
        }
        const bool relative = command >= u'a';
        const qsizetype first = s.firstArg;
        const auto set = [&](Coordinate& c, int arg) {
            c = relative ? Coordinate{c.value + v[arg]}
                         : Coordinate{v[arg], spans_[first + arg].first, spans_[first + arg].second};
        };
        switch (command | 0x20) {
        case u'z': current_ = start_; break;
        case u'h': set(current_.x, 0); break;
        case u'v': set(current_.y, 0); break;
        default:
            set(current_.x, count - 2);
            set(current_.y, count - 1);
            break;
        }
        if ((command | 0x20) == u'm') {
            start_ = current_;
            subpathSegment_ = qsizetype(segments_.size());
        }
        segments_.push_back(s);
        return true;
    }

    qsizetype at_ = 0;
    Point current_, start_;
    qsizetype subpathSegment_ = 0;
};

class Writer {
public:
    explicit Writer(const Reader& reader) : reader_(reader) {}

    void moveTo(const Point& p, QString& out) const
    {
        out += u'M';
        coordinate(p.x, out);
        out += u' ';
        coordinate(p.y, out);
    }

    void segment(const Segment& s, QString& out) const
    {
        if (!out.isEmpty())
            out += u' ';
        out += QChar(s.command);
        for (int i = 0; i < s.args; ++i) {
            if (i > 0)
                out += u' ';
            const auto [from, length] = reader_.spans_[std::size_t(s.firstArg + i)];
            out += reader_.data_.sliced(from, length);
        }
    }

private:
    void coordinate(const Coordinate& c, QString& out) const
    {
        if (c.from >= 0)
            out += reader_.data_.sliced(c.from, c.length);
        else
            out += QString::number(c.value, 'g', 17);
    }

    const Reader& reader_;
};

bool isMove(char16_t command)
{
    return (command | 0x20) == u'm';
}

bool isClose(char16_t command)
{
    return (command | 0x20) == u'z';
}

} // namespace

std::optional<std::vector<PathPiece>> splitPathData(QStringView data, int segments)
{
    Reader reader(data);
    if (segments < 1 || !reader.read())
        return std::nullopt;
    const auto& all = reader.segments_;
    const qsizetype total = qsizetype(all.size());
    if (total < 2 * qsizetype(segments))
        return std::nullopt;
    const qsizetype size = std::max<qsizetype>(segments, (total + kMaxPathPieces - 1) / kMaxPathPieces);
    const Writer writer(reader);
    std::vector<PathPiece> pieces(1);
    qsizetype pieceFirst = 0, drawn = 0;
    // Starts a new piece at segment i, the last one ending as `end` says.
    const auto cut = [&](qsizetype i, PieceEnd end) {
        pieces.back().end = end;
        pieces.emplace_back();
        pieceFirst = i;
        drawn = 0;
        if (i < total && all[std::size_t(i)].command != u'M')
            writer.moveTo(all[std::size_t(i)].from, pieces.back().data);
    };
    for (qsizetype i = 0; i < total; ++i) {
        const Segment& s = all[std::size_t(i)];
        const char16_t c = s.command | 0x20;
        const char16_t before = i > 0 ? all[std::size_t(i - 1)].command : u'M';
        // Not after a move either: cairo leaves out a subpath of one point.
        if (drawn >= size && c != u's' && c != u't' && !isClose(c) && !isMove(before))
            cut(i, (isMove(c) || isClose(before)) ? PieceEnd::Ends : PieceEnd::Continues);
        if (isClose(c) && s.subpathSegment < pieceFirst) {
            if (i + 1 == total) {
                pieces.back().end = PieceEnd::Closes;
                break;
            }
            cut(i + 1, PieceEnd::Closes);
            continue;
        }
        writer.segment(s, pieces.back().data);
        if (!isMove(c))
            ++drawn;
    }
    if (pieces.size() < 2)
        return std::nullopt;
    return pieces;
}

} // namespace orlex
