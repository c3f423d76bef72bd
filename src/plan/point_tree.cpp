// k-d tree with removal: median splits on the wider side, leaves of a few points, and a
// count of remaining points per node so emptied subtrees are skipped.
#include "plan/point_tree.h"

#include <algorithm>
#include <limits>

namespace orlex {

namespace {

constexpr std::uint32_t kLeafSize = 8;

} // namespace

PointTree::PointTree(std::vector<TreePoint> points)
    : points_(std::move(points)), order_(points_.size()), slot_(points_.size()), removed_(points_.size(), false)
{
    for (std::uint32_t i = 0; i < order_.size(); ++i)
        order_[i] = i;
    nodes_.reserve(2 * (points_.size() / kLeafSize + 1));
    if (!points_.empty())
        build(0, static_cast<std::uint32_t>(points_.size()));
    for (std::uint32_t i = 0; i < order_.size(); ++i)
        slot_[order_[i]] = i;
}

std::uint32_t PointTree::build(std::uint32_t begin, std::uint32_t end)
{
    const auto index = static_cast<std::uint32_t>(nodes_.size());
    Node node;
    node.begin = begin;
    node.end = end;
    node.remaining = end - begin;
    node.minX = node.minY = std::numeric_limits<double>::infinity();
    node.maxX = node.maxY = -std::numeric_limits<double>::infinity();
    node.oneOwner = true;
    node.owner = points_[order_[begin]].owner;
    for (std::uint32_t i = begin; i < end; ++i) {
        const Position p = points_[order_[i]].at;
        node.oneOwner = node.oneOwner && points_[order_[i]].owner == node.owner;
        node.minX = std::min(node.minX, p.x);
        node.minY = std::min(node.minY, p.y);
        node.maxX = std::max(node.maxX, p.x);
        node.maxY = std::max(node.maxY, p.y);
    }
    nodes_.push_back(node);
    if (end - begin <= kLeafSize)
        return index;

    const bool alongX = node.maxX - node.minX >= node.maxY - node.minY;
    const std::uint32_t middle = begin + (end - begin) / 2;
    // Ties broken by index, so the tree and every query are the same on every run.
    std::nth_element(order_.begin() + begin, order_.begin() + middle, order_.begin() + end,
                     [this, alongX](std::uint32_t a, std::uint32_t b) {
                         const double ca = alongX ? points_[a].at.x : points_[a].at.y;
                         const double cb = alongX ? points_[b].at.x : points_[b].at.y;
                         return ca < cb || (ca == cb && a < b);
                     });
    const std::uint32_t left = build(begin, middle);
    const std::uint32_t right = build(middle, end);
    nodes_[index].left = left;
    nodes_[index].right = right;
    return index;
}

void PointTree::remove(std::size_t index)
{
    if (removed_[index])
        return;
    removed_[index] = true;
    const std::uint32_t slot = slot_[index];
    std::uint32_t node = 0;
    for (;;) {
        --nodes_[node].remaining;
        if (nodes_[node].left == 0)
            return;
        node = slot < nodes_[nodes_[node].left].end ? nodes_[node].left : nodes_[node].right;
    }
}

double PointTree::boxDistanceSquared(const Node& node, Position at)
{
    const double dx = std::max({node.minX - at.x, 0.0, at.x - node.maxX});
    const double dy = std::max({node.minY - at.y, 0.0, at.y - node.maxY});
    return dx * dx + dy * dy;
}

template <class Visit>
void PointTree::search(std::uint32_t index, Position at, double& limitSquared, std::optional<std::uint32_t> skipOwner,
                       Visit& visit) const
{
    const Node& node = nodes_[index];
    if (node.remaining == 0 || boxDistanceSquared(node, at) >= limitSquared
        || (node.oneOwner && node.owner == skipOwner))
        return;
    if (node.left == 0) {
        for (std::uint32_t i = node.begin; i < node.end; ++i) {
            const std::uint32_t p = order_[i];
            if (removed_[p])
                continue;
            const double dx = points_[p].at.x - at.x;
            const double dy = points_[p].at.y - at.y;
            visit(p, dx * dx + dy * dy);
        }
        return;
    }
    const double toLeft = boxDistanceSquared(nodes_[node.left], at);
    const double toRight = boxDistanceSquared(nodes_[node.right], at);
    const std::uint32_t first = toLeft <= toRight ? node.left : node.right;
    const std::uint32_t second = first == node.left ? node.right : node.left;
    search(first, at, limitSquared, skipOwner, visit);
    search(second, at, limitSquared, skipOwner, visit);
}

std::optional<std::size_t> PointTree::nearest(Position at) const
{
    if (nodes_.empty())
        return std::nullopt;
    double limit = std::numeric_limits<double>::infinity();
    std::optional<std::size_t> best;
    auto visit = [&](std::uint32_t p, double d2) {
        if (d2 < limit || !best) {
            limit = d2;
            best = p;
        }
    };
    search(0, at, limit, std::nullopt, visit);
    return best;
}

std::vector<std::size_t> PointTree::nearestOfOthers(Position at, std::size_t count, std::uint32_t skipOwner,
                                                    std::size_t perOwner) const
{
    struct Found {
        double d2;
        std::uint32_t point;
    };
    std::vector<Found> found; // nearest first, at most `count`
    found.reserve(count + 1);
    if (nodes_.empty() || count == 0 || perOwner == 0)
        return {};
    double limit = std::numeric_limits<double>::infinity();
    auto visit = [&](std::uint32_t p, double d2) {
        const std::uint32_t owner = points_[p].owner;
        if (owner == skipOwner || (found.size() == count && d2 >= found.back().d2))
            return;
        std::size_t same = 0, farthestSame = 0;
        for (std::size_t k = 0; k < found.size(); ++k)
            if (points_[found[k].point].owner == owner) {
                ++same;
                farthestSame = k;
            }
        if (same >= perOwner) {
            if (d2 >= found[farthestSame].d2)
                return;
            found.erase(found.begin() + static_cast<std::ptrdiff_t>(farthestSame));
        } else if (found.size() == count) {
            found.pop_back();
        }
        auto place = std::find_if(found.begin(), found.end(), [d2](const Found& f) { return d2 < f.d2; });
        found.insert(place, Found{d2, p});
        if (found.size() == count)
            limit = found.back().d2;
    };
    search(0, at, limit, skipOwner, visit);

    std::vector<std::size_t> result;
    result.reserve(found.size());
    for (const Found& f : found)
        result.push_back(f.point);
    return result;
}

} // namespace orlex
