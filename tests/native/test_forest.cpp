// The tree-ensemble evaluator: walks, missing values, contributions and the checks of a forest.
#define CHECK_MAIN
#include "check.hpp"

#include <cmath>
#include <vector>

#include "forest/forest.hpp"

using namespace velmora::forest;

namespace {

// Tree 0: x0 <= 1 ? (x1 <= 5, NaN right ? -1 : 2) : 3.  Tree 1: a single leaf 0.5.
Forest sample() {
    Forest f;
    f.baseline = 0.25;
    f.feature_count = 2;
    f.nodes = {
        {0, 1, 4, true, 1.0, 1.0},     // 0: x0 <= 1 (NaN left)
        {1, 2, 3, false, 5.0, 0.5},    // 1: x1 <= 5 (NaN right)
        {-1, 0, 0, false, 0.0, -1.0},  // 2
        {-1, 0, 0, false, 0.0, 2.0},   // 3
        {-1, 0, 0, false, 0.0, 3.0},   // 4
        {-1, 0, 0, false, 0.0, 0.5},   // 5: tree 1
    };
    f.roots = {0, 5};
    return f;
}

}  // namespace

TEST_CASE("a row walks each tree to one leaf; NaN follows the split's missing side") {
    const Forest f = sample();
    CHECK(validate(f).empty());
    const std::vector<double> rows[] = {{1.0, 5.0}, {1.0, 6.0}, {2.0, 0.0}, {NAN, 4.0}, {0.0, NAN}};
    const double expected[] = {-1.0, 2.0, 3.0, -1.0, 2.0};
    for (int i = 0; i < 5; ++i) {
        CHECK_EQ(raw_score(f, rows[i]), 0.25 + expected[i] + 0.5);
        CHECK_EQ(score(f, rows[i]), 1.0 / (1.0 + std::exp(-(0.75 + expected[i]))));
    }
}

TEST_CASE("contributions and bias add up to the raw score") {
    const Forest f = sample();
    std::vector<double> parts(2);
    const std::vector<double> row{0.0, 6.0};
    const double bias = contributions(f, row, parts);
    CHECK_EQ(bias, 0.25 + 1.0 + 0.5);
    CHECK_EQ(parts[0], 0.5 - 1.0);
    CHECK_EQ(parts[1], 2.0 - 0.5);
    CHECK_EQ(bias + parts[0] + parts[1], raw_score(f, row));
}

TEST_CASE("malformed forests are refused") {
    Forest f = sample();
    f.nodes[1].left = 0;  // a cycle back to the root
    CHECK(!validate(f).empty());
    f = sample();
    f.nodes[0].right = 5;  // into the next tree
    CHECK(!validate(f).empty());
    f = sample();
    f.nodes[1].feature = 2;  // past the row
    CHECK(!validate(f).empty());
    f = sample();
    f.nodes[3].value = NAN;
    CHECK(!validate(f).empty());
    f = sample();
    f.roots = {0, 6};  // an empty tree
    CHECK(!validate(f).empty());
    f = sample();
    f.nodes[2].feature = -2;
    CHECK(!validate(f).empty());
}
