#pragma once
// The simulation parameters from a parameter file: after the title line the
// nine values NTR, IC, NN, IHR, JX, MIN, IREP, STDDEV, KSW, and for an
// arribada shorter than 18 hours the rows of its nesting-time table.

#include "engine/parameters.hpp"
#include "text/lines.hpp"

namespace arribada::entry {

// Reads groups 2 and 3 of a parameter file (the title was read by the caller),
// applies the plain stops (NTR <= 0, IHR <= 0, KSW outside 1..3: throws
// text::OrderlyStop), refuses values beyond the program's capacities or
// without a usable value (text::RunTimeError naming the value and the file),
// and builds the nesting-time table. Leaves p with the file's values and the
// final IHR; NTI and the JX default and odd rule are the finishing steps'.
// A null value keeps the value in `p`, a null table entry that of `previous`.
engine::NestingTable readParameterValues(text::LineSource& file, engine::SimulationParameters& p,
                                         const engine::NestingTable& previous = {});

}  // namespace arribada::entry
