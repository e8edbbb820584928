#pragma once
// The table of an analysis of nights for people, as `arribada --field`
// prints it: a row per night and the total, then what the columns mean.

#include <string>

#include "fielddata/nights.hpp"

namespace arribada::fielddata {

std::string nightsTable(const FieldAnalysis& analysis);

}  // namespace arribada::fielddata
