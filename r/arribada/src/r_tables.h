#pragma once
// The package's glue: conversions between R's values and the library's
// host-facing calls (api/api.hpp), nothing more.

#include <cpp11.hpp>

#include <string>
#include <vector>

#include "api/api.hpp"

namespace arribada::r {

// The rows as a named list of columns (make it a data frame in R): a column
// of reals becomes doubles (every float is a double exactly), of integers
// integers, of texts character, of TRUE/FALSE logical; a missing field is NA.
cpp11::writable::list columnsOf(const api::Rows& rows);

// A named R list as named values: numbers as doubles, texts as texts; a
// list element (DENSITY = list(...)) gives one value per element.
api::NamedValues namedValues(cpp11::list values);

// Each line an R warning.
void raiseWarnings(const std::vector<std::string>& lines);

}  // namespace arribada::r
