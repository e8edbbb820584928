#pragma once
// The analysis of a field survey: from the header and the instantaneous
// counts of a field-data file, the sampled area and its ratio to the nesting
// area, the number of UELAs, the estimated number of egg-laying females, the
// variance of the samples and the 95% confidence limits.

#include "engine/parameters.hpp"
#include "text/channels.hpp"
#include "text/lines.hpp"

namespace arribada::fielddata {

// Reads a field-data file from its second line on (the title was read and
// echoed by the caller), echoes the header, prints the areas, ratio, samples,
// reads the counts and weights, prints the estimate, variance and limits (or
// the single-count or negative-variance message and limits of -999) on the
// console and in the report; input that reads but was probably meant
// otherwise gets a line on `warnings`.
// Leaves params.NTR = number of sample transects and params.NN = NT1 * NTR,
// the survey's size as the caller's parameters hold it after a field job
// (the run ends with that job, so nothing in the program reads them later).
void analyseFieldData(text::LineSource& file, text::RecordSink& console, text::RecordSink& report,
                      engine::SimulationParameters& params, text::Warnings warnings = text::Warnings{});

}  // namespace arribada::fielddata
