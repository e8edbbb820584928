#' arribada: numbers of nesting female sea turtles from instantaneous counts
#'
#' Simulates arribadas (mass nestings of sea turtles) and estimates the
#' number of egg-laying females from instantaneous counts, on the same
#' engine as the `arribada` program: the same parameters give the same
#' results, bit for bit.
#'
#' * [arribada_simulate()] runs one simulation job.
#' * [read_arribada_field()] and [arribada_field()] read and analyse a
#'   field survey.
#'
#' Long calls report progress through \pkg{progressr} when it is installed
#' (wrap them in `progressr::with_progress()`), and stop cleanly on an
#' interrupt (Ctrl-C, or Esc in RStudio).
#'
#' The engine's kernels for the processor's instruction sets are chosen
#' when the package loads; every set gives the same results.
#' `options(arribada.instruction_set = "baseline")` (or "AVX2", "AVX-512")
#' forces one of [arribada_instruction_sets()].
#'
#' @useDynLib arribada, .registration = TRUE
#' @keywords internal
"_PACKAGE"
