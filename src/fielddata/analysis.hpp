#pragma once
// Placeholder: the field-data analysis is being built.
#include "engine/parameters.hpp"
#include "text/channels.hpp"
namespace arribada::fielddata {
void analyseFieldData(text::LineSource& file, text::RecordSink& console, text::RecordSink& report,
                      engine::SimulationParameters& params);
}
