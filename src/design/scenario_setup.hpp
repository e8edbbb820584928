#pragma once
// What a scenario of a design search runs with: the parameters of the
// ordinary job whose stream it shares, the nesting-time table and the use of
// the beach. Inside the design library only.

#include <optional>

#include "design/search.hpp"
#include "engine/generation.hpp"

namespace arribada::design {

struct ScenarioSetup {
  Scenario scenario;
  engine::SimulationParameters parameters;  // IC 1: every design counts the grid its own way
  engine::NestingTable table;
  std::optional<engine::WeightedStrips> strips;  // an uneven beach
};

// The relative density of the scenario's beach: a DENSITY line's or its pilot's.
const std::vector<double>& densityOf(const SearchSettings& settings, const Scenario& scenario);

// Scenario `index` of valid settings (a RunTimeError otherwise, or for an index out of range).
ScenarioSetup setUpScenario(const SearchSettings& settings, std::int32_t index);

// The clamp's hours of a scenario set up (clampedHours in search.hpp).
std::vector<std::int32_t> clampedHours(const ScenarioSetup& setup);

}  // namespace arribada::design
