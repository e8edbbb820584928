// Placeholder: the parameter-file reader is being built.
#include "entry/parameter_file.hpp"
#include "text/errors.hpp"
namespace arribada::entry {
engine::NestingTable readParameterValues(text::LineSource&, engine::SimulationParameters&) {
  throw text::RunTimeError("parameter files are not read yet");
}
}
