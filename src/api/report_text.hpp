#pragma once
// Figures as the report writes them, for a host that shows them beside the
// program's own reports. See api.hpp for the contract.

#include <string>

namespace arribada::api {

// A real as the report writes it, without its padding: seven significant
// digits, six decimals from 1 to 10 000 000 ("50198.400000"), else
// d.ddddddE+xx. The value is the report's single-precision real.
std::string reportReal(double value);

}  // namespace arribada::api
