#pragma once
// The rows of the results tables, each value beside its column's name: the
// results folder writes them as CSV, and the R package turns the same rows
// into data frames, so both carry the same columns with the same values.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/estimate.hpp"
#include "fielddata/nights.hpp"
#include "results/csv.hpp"
#include "results/measures.hpp"
#include "results/sink.hpp"

namespace arribada::results {

// summary.csv: one row per simulation job.
NamedRow summaryRow(const SimulationRecord& job, const JobMeasures& m);
// replicates.csv: replicate L (from 1) of job `job`, whose true number is NN.
NamedRow replicateRow(std::int32_t job, std::int32_t L, const engine::ReplicateEstimate& r, std::int32_t NN);
// field.csv: the field-data job's one row.
NamedRow fieldRow(const FieldRecord& field);
// field.csv of an analysis of nights: a night's row or the total's.
NamedRow nightRow(const fielddata::FieldRow& r);
// field.csv of an analysis of nights: every night's row, then the total's.
std::vector<NamedRow> nightRows(const fielddata::FieldAnalysis& analysis);
// field-times.csv: sampling time k (0-based) of the field-data job.
NamedRow fieldTimeRow(std::int32_t job, std::size_t k, const fielddata::FieldResult& r);

}  // namespace arribada::results
