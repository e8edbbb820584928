#include "api/report_text.hpp"

#include "text/format.hpp"

namespace arribada::api {

std::string reportReal(double value) { return text::realText(static_cast<float>(value)); }

}  // namespace arribada::api
