#pragma once

#include <gtest/gtest.h>

#include <string>

// Names a parameterised test after its row, so a failure says which case:
// INSTANTIATE_TEST_SUITE_P(..., testing::ValuesIn(kRows), RowName());
struct RowName {
    template <class Row> std::string operator()(const ::testing::TestParamInfo<Row>& row) const {
        return row.param.name;
    }
};
