#include "forest/forest.hpp"

#include <cmath>

namespace velmora::forest {
namespace {

std::size_t leaf_of(const Forest& forest, std::size_t index, std::span<const double> row) {
    const Node* nodes = forest.nodes.data();
    while (nodes[index].feature >= 0) {
        const Node& node = nodes[index];
        const double x = row[static_cast<std::size_t>(node.feature)];
        const bool left = std::isnan(x) ? node.missing_left : x <= node.threshold;
        index = static_cast<std::size_t>(left ? node.left : node.right);
    }
    return index;
}

}  // namespace

std::string validate(const Forest& forest) {
    if (std::isnan(forest.baseline)) return "the baseline is NaN";
    const auto count = static_cast<std::int64_t>(forest.nodes.size());
    for (std::size_t tree = 0; tree < forest.roots.size(); ++tree) {
        const std::int64_t begin = forest.roots[tree];
        const std::int64_t end = tree + 1 < forest.roots.size() ? forest.roots[tree + 1] : count;
        if (begin < 0 || begin >= end || end > count)
            return "tree " + std::to_string(tree) + " has no nodes or overlaps another";
        for (std::int64_t i = begin; i < end; ++i) {
            const Node& node = forest.nodes[static_cast<std::size_t>(i)];
            const std::string where = "tree " + std::to_string(tree) + " node " + std::to_string(i - begin);
            if (std::isnan(node.value)) return where + ": value is NaN";
            if (node.feature < 0) {
                if (node.feature != -1) return where + ": feature index is negative";
                continue;
            }
            if (static_cast<std::size_t>(node.feature) >= forest.feature_count)
                return where + ": feature index out of range";
            if (std::isnan(node.threshold)) return where + ": threshold is NaN";
            if (node.left <= i || node.left >= end || node.right <= i || node.right >= end)
                return where + ": a child is outside the tree or not after its parent";
        }
    }
    return {};
}

double raw_score(const Forest& forest, std::span<const double> row) {
    // Summed tree by tree from the baseline, the order the fit used.
    double sum = forest.baseline;
    for (const std::int32_t root : forest.roots)
        sum += forest.nodes[leaf_of(forest, static_cast<std::size_t>(root), row)].value;
    return sum;
}

double score(const Forest& forest, std::span<const double> row) {
    return 1.0 / (1.0 + std::exp(-raw_score(forest, row)));
}

double contributions(const Forest& forest, std::span<const double> row, std::span<double> out) {
    for (double& value : out) value = 0.0;
    double bias = forest.baseline;
    const Node* nodes = forest.nodes.data();
    for (const std::int32_t root : forest.roots) {
        auto index = static_cast<std::size_t>(root);
        bias += nodes[index].value;
        while (nodes[index].feature >= 0) {
            const Node& node = nodes[index];
            const auto feature = static_cast<std::size_t>(node.feature);
            const double x = row[feature];
            const bool left = std::isnan(x) ? node.missing_left : x <= node.threshold;
            index = static_cast<std::size_t>(left ? node.left : node.right);
            out[feature] += nodes[index].value - node.value;
        }
    }
    return bias;
}

}  // namespace velmora::forest
