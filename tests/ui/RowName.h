#pragma once

#include <gtest/gtest.h>

#include <string>

// Names a parameterised test after its row, so a failure says which case.
template <class Row> std::string RowName(const ::testing::TestParamInfo<Row>& row) {
    return row.param.name;
}
