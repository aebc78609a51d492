// A tree ensemble of binary decision trees, evaluated on one row of features.
//
// The trees come from a gradient-boosting fit: a row's raw score is the baseline plus
// the value of the leaf it reaches in each tree, and its score is the logistic of that.
// At a split, a missing value (NaN) goes to the side the fit chose; any other value goes
// left when it is <= the threshold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace velmora::forest {

struct Node {
    std::int32_t feature;  // index into the row; -1 for a leaf
    std::int32_t left;     // children: indices into Forest::nodes (unused in a leaf)
    std::int32_t right;
    bool missing_left;     // where NaN goes
    double threshold;
    double value;          // the leaf's contribution; in a split, the mean its subtree starts from
};

struct Forest {
    double baseline = 0.0;
    std::size_t feature_count = 0;
    std::vector<Node> nodes;          // every tree's nodes, one tree after the other
    std::vector<std::int32_t> roots;  // index of each tree's first node
};

// Empty when the forest is well formed, else what is wrong. Well formed means: every
// tree's nodes lie between its root and the next root, every child comes after its
// parent (so a walk always ends), features are in range and no number is NaN.
std::string validate(const Forest& forest);

// For a validated forest and a row of exactly feature_count values.
double raw_score(const Forest& forest, std::span<const double> row);
double score(const Forest& forest, std::span<const double> row);  // logistic, in [0, 1]

// How much each feature moved the raw score on this row's path through every tree
// (the change of the node value at each split it decided), plus the part left to the
// baseline and the trees' roots. Sums to raw_score up to rounding. out has feature_count
// values.
double contributions(const Forest& forest, std::span<const double> row, std::span<double> out);

}  // namespace velmora::forest
