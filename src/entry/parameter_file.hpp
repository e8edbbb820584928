#pragma once
// Placeholder: the parameter-file reader is being built.
#include "engine/parameters.hpp"
#include "text/lines.hpp"
namespace arribada::entry {
engine::NestingTable readParameterValues(text::LineSource& file, engine::SimulationParameters& p);
}
