// A k-d tree over a fixed set of points that can be removed one by one: nearest
// remaining point to a place, and the nearest points of other owners for neighbour lists.
#pragma once

#include "plan/plot_events.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace orlex {

struct TreePoint {
    Position at;
    std::uint32_t owner = 0; // e.g. the stroke the point is an end of
};

class PointTree {
public:
    explicit PointTree(std::vector<TreePoint> points);

    // Takes a point out of later queries. O(log n).
    void remove(std::size_t index);

    // Index of the remaining point nearest to `at`; nullopt when none remains. About
    // O(log n) for well-spread points: subtrees farther than the best so far or emptied
    // by removals are never entered.
    std::optional<std::size_t> nearest(Position at) const;

    // Indices of up to `count` remaining points nearest to `at`, nearest first, leaving
    // out points of `skipOwner` and keeping at most `perOwner` points of any one owner.
    std::vector<std::size_t> nearestOfOthers(Position at, std::size_t count, std::uint32_t skipOwner,
                                             std::size_t perOwner) const;

private:
    struct Node {
        std::uint32_t begin = 0, end = 0;  // range of order_
        std::uint32_t left = 0, right = 0; // children; 0 for a leaf (the root is never a child)
        std::uint32_t remaining = 0;
        bool oneOwner = false; // every point of the node has `owner`
        std::uint32_t owner = 0;
        double minX = 0, minY = 0, maxX = 0, maxY = 0;
    };

    std::uint32_t build(std::uint32_t begin, std::uint32_t end);
    static double boxDistanceSquared(const Node& node, Position at);
    // Visits the remaining points that may be nearer than limitSquared, nearer subtrees
    // first, never entering one whose points all belong to `skipOwner`.
    template <class Visit>
    void search(std::uint32_t node, Position at, double& limitSquared, std::optional<std::uint32_t> skipOwner,
                Visit& visit) const;

    std::vector<TreePoint> points_;
    std::vector<std::uint32_t> order_; // point indices in tree order
    std::vector<std::uint32_t> slot_;  // position of each point in order_
    std::vector<bool> removed_;
    std::vector<Node> nodes_; // nodes_[0] is the root
};

} // namespace orlex
