// Placeholder: the field-data analysis is being built.
#include "fielddata/analysis.hpp"
namespace arribada::fielddata {
void analyseFieldData(text::LineSource&, text::RecordSink&, text::RecordSink&, engine::SimulationParameters&) {}
}
