# A named list of columns of equal length as a data frame.
as_frame <- function(columns) {
  structure(columns, class = "data.frame", row.names = c(NA_integer_, -length(columns[[1L]])))
}

# One number, finite; a whole number within `lower` ... `upper` when `whole`.
check_number <- function(value, name, whole = FALSE, lower = -Inf, upper = Inf) {
  ok <- is.numeric(value) && length(value) == 1L && is.finite(value)
  if (ok && whole) ok <- value == round(value)
  if (!ok) {
    stop(sprintf("%s must be one finite %s", name, if (whole) "whole number" else "number"), call. = FALSE)
  }
  if (value < lower || value > upper) {
    stop(sprintf("%s = %s is outside %s to %s", name, format(value), format(lower), format(upper)), call. = FALSE)
  }
  invisible(value)
}

# A function of the steps done that advances a progressr progressor of
# `steps` steps, or NULL when progressr is not installed. The progressor
# ends with the calling function (`envir`).
progress_function <- function(steps, envir = parent.frame()) {
  if (steps < 1L || !requireNamespace("progressr", quietly = TRUE)) return(NULL)
  advance <- progressr::progressor(steps = steps, envir = envir)
  function(done) advance()
}

# The instruction set asked for by options(arribada.instruction_set) or the
# environment variable ARRIBADA_INSTRUCTION_SET; "" for the fastest.
instruction_set_asked <- function() {
  set <- getOption("arribada.instruction_set", Sys.getenv("ARRIBADA_INSTRUCTION_SET"))
  if (is.null(set)) "" else as.character(set)
}

#' Instruction sets the engine can use here
#'
#' The sets of vector instructions this build of the package has kernels for
#' and this processor runs, the plain one ("baseline") first. Every set gives
#' the same results; they differ in speed only. The fastest is used unless
#' `options(arribada.instruction_set = ...)` names another.
#'
#' @return A character vector such as `c("baseline", "AVX2", "AVX-512")`.
#' @export
#' @examples
#' arribada_instruction_sets()
arribada_instruction_sets <- function() instruction_sets()
