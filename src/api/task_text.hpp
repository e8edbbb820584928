#pragma once
// A design task's result as text and back, so that hosts carry it between
// processes as a plain string. The text holds the bits of every value (the
// collected search is the same bit for bit) and a fingerprint of the
// search's settings text, so that a result of another search is refused.
// Not for hosts: api/design.hpp is their header.

#include <string>
#include <vector>

#include "design/search.hpp"

namespace arribada::api::detail {

std::string taskResultText(const design::ScenarioResult& result, const std::string& settingsText);

// The result of a task of the search whose settings text and lists are
// given; a RunTimeError when the text is not such a result.
design::ScenarioResult taskResultFromText(const std::string& text, const std::string& settingsText,
                                          const std::vector<design::Scenario>& scenarios,
                                          const std::vector<design::Design>& designs);

}  // namespace arribada::api::detail
