#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

// Names a parameterised test after its row, so a failure says which case:
// INSTANTIATE_TEST_SUITE_P(..., testing::ValuesIn(kRows), RowName());
struct RowName {
    template <class Row> std::string operator()(const ::testing::TestParamInfo<Row>& row) const {
        return row.param.name;
    }
};

// Prints a row by its name wherever GoogleTest shows a parameter. Rows live in
// each test file's unnamed namespace, and this joins them there, so that
// argument-dependent lookup finds it.
namespace {
template <class Row>
requires requires(const Row& row) {
    std::string_view(row.name);
}
[[maybe_unused]] void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}
} // namespace
