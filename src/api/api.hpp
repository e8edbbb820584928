#pragma once
// The library's one face to a host: the R package today, the browser page,
// any other binding tomorrow. Everything a host needs goes through these
// headers (values.hpp, simulation.hpp, design.hpp, nights.hpp); a binding
// includes this one and converts plain C++ values, rows and text to its own
// types, nothing more.
//
// The contract, for every function of namespace arribada::api:
//
// - Plain values in, plain values out: numbers, strings, vectors of them,
//   the results tables' rows (results::NamedRow: each value beside its
//   column's name, the columns and values of the results folder's CSV files)
//   and finished texts. No host type, no handle that must be released.
// - Texts are byte for byte what the program writes: a CSV text is the
//   results folder's file (header row, fields as the folder writes them,
//   every line ending in CR LF), an SVG text the folder's picture, a table
//   text what the program prints on standard output.
// - Nothing here prints, reads the keyboard, exits or aborts. Only
//   readSurveyFile (a survey by its file name) touches the file system;
//   everything else works on values and texts, so a page without files can
//   call it.
// - Every refusal is thrown as text::RunTimeError, a std::runtime_error whose
//   what() is the message for people: what failed, and which file, row and
//   column, or which named value. Catching std::exception is enough; nothing
//   else is thrown but std::bad_alloc.
// - Progress callbacks are called on the calling thread after each
//   replicate. A design task's callback may return false to stop the task
//   early (its result then says so); any callback may throw to abandon the
//   call (an R interrupt), and the exception passes through unchanged once
//   the engine's threads are stopped.
// - A call depends only on its arguments: the same values give the same
//   rows and texts on every machine, in every process, in any order.

#include "api/design.hpp"
#include "api/nights.hpp"
#include "api/simulation.hpp"
#include "api/values.hpp"
