// How many elements the renderer visits once <use> references are expanded, from each
// id's subtree size and the references inside it: loops, deep chains and fan-outs that
// would expand past a bound are refused before anything is drawn.
#pragma once

#include "common/result.h"

#include <QHash>
#include <QString>

#include <vector>

namespace orlex {

inline constexpr int kMaxUseDepth = 256;
inline constexpr qint64 kMaxExpandedElements = 500'000; // librsvg draws some 40,000 a second

class UseExpansion {
public:
    void elementStarted(QStringView id)
    {
        frames_.push_back({id.toString(), elements_, qsizetype(references_.size())});
        ++elements_;
    }
    void reference(const QString& target)
    {
        if (!target.isEmpty())
            references_.push_back(target);
    }
    void elementEnded()
    {
        const Frame f = frames_.back();
        frames_.pop_back();
        if (!f.id.isEmpty() && !subtrees_.contains(f.id))
            subtrees_.insert(f.id, {elements_ - f.firstElement, f.firstReference, qsizetype(references_.size())});
    }

    // Fails on a loop, a chain deeper than kMaxUseDepth, or too many elements.
    Result<void> check()
    {
        qint64 total = elements_;
        for (const QString& target : references_) {
            auto e = expanded(target, 0);
            if (!e)
                return e.error();
            total += *e;
            if (total > kMaxExpandedElements)
                return failure("its <use> references expand to more than 500,000 elements");
        }
        return {};
    }

private:
    struct Frame {
        QString id;
        qint64 firstElement;
        qsizetype firstReference;
    };
    struct Subtree {
        qint64 elements;
        qsizetype firstReference, endReference;
        qint64 expanded = -1; // -2 while being expanded
    };

    Result<qint64> expanded(const QString& id, int depth)
    {
        auto it = subtrees_.find(id);
        if (it == subtrees_.end())
            return qint64(0); // a reference to nothing draws nothing
        if (it->expanded == -2)
            return failure("its <use> references loop (through \"#" + id.toStdString() + "\")");
        if (it->expanded >= 0)
            return it->expanded;
        if (depth > kMaxUseDepth)
            return failure("its <use> references are nested more than 256 deep");
        it->expanded = -2;
        qint64 sum = it->elements;
        const qsizetype first = it->firstReference, end = it->endReference;
        for (qsizetype i = first; i < end && sum <= kMaxExpandedElements; ++i) {
            auto e = expanded(references_[i], depth + 1);
            if (!e)
                return e.error();
            sum += *e;
        }
        it->expanded = std::min(sum, kMaxExpandedElements + 1);
        return it->expanded;
    }

    std::vector<Frame> frames_;
    std::vector<QString> references_;
    QHash<QString, Subtree> subtrees_;
    qint64 elements_ = 0;
};

} // namespace orlex
