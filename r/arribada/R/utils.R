# A named list of columns of equal length as a data frame.
as_frame <- function(columns) {
  structure(columns, class = "data.frame", row.names = c(NA_integer_, -length(columns[[1L]])))
}

# Conditions ------------------------------------------------------------------
# Every error and warning of the package carries a class of its own beside
# R's ("error" or "warning") and the call of the user's function, so that
# tryCatch(..., arribada_input_error = ) and withCallingHandlers(...,
# arribada_warning = ) tell them apart.

# Stops with an error of `class` ("arribada_input_error" for arguments,
# "arribada_file_error" for files), `call` being the user's call.
stop_arribada <- function(message, class, call) {
  stop(structure(class = c(class, "arribada_error", "error", "condition"),
                 list(message = message, call = call)))
}

input_error <- function(message, call) stop_arribada(message, "arribada_input_error", call)

file_error <- function(message, call) stop_arribada(message, "arribada_file_error", call)

warn_arribada <- function(message, call) {
  warning(structure(class = c("arribada_warning", "warning", "condition"), list(message = message, call = call)))
}

# Evaluates `code` (a call into the engine) with the engine's errors raised
# again as errors of `class` and its warnings as arribada_warning, all with
# `call`. The engine's conditions come without a call; others (a time limit,
# an error of a progress handler) and interrupts pass through untouched.
engine_call <- function(code, call, class = "arribada_input_error") {
  withCallingHandlers(
    tryCatch(code, error = function(e) {
      if (inherits(e, "arribada_error") || !is.null(conditionCall(e))) stop(e)
      stop_arribada(conditionMessage(e), class, call)
    }),
    warning = function(w) {
      if (inherits(w, "arribada_warning")) return()
      warn_arribada(conditionMessage(w), call)
      invokeRestart("muffleWarning")
    }
  )
}

# Checks of arguments ----------------------------------------------------------

# What `value` is, in a message: "a factor", "NA", "2 values", "a character string".
kind_of <- function(value) {
  if (is.null(value)) return("NULL")
  if (is.factor(value)) return("a factor")
  if (length(value) != 1L) return(sprintf("%d values", length(value)))
  if (is.na(value)) return("NA")
  if (is.character(value)) return(sprintf("the text \"%s\"", encodeString(value)))
  if (is.logical(value)) return(sprintf("the logical %s", value))
  if (is.numeric(value)) return(format(value, digits = 15))
  sprintf("an object of class %s", class(value)[1L])
}

# One finite number (a whole one when `whole`) named `name`, whose range,
# in words, is `range` ("strips counted, 1 to NTR"); `lower` and `upper`
# bound it here already where the engine cannot hold more.
check_number <- function(value, name, range, call, whole = FALSE, lower = -Inf, upper = Inf) {
  ok <- is.numeric(value) && !is.factor(value) && length(value) == 1L && !is.na(value) && is.finite(value)
  if (ok && whole) ok <- value == round(value)
  if (!ok) {
    input_error(sprintf("%s (%s) must be one %s, not %s", name, range, if (whole) "whole number" else "number",
                        kind_of(value)), call)
  }
  if (value < lower || value > upper) {
    input_error(sprintf("%s = %s is outside its range: %s", name, format(value, digits = 15), range), call)
  }
  invisible(value)
}

# One line of text (no line break, not NA) named `name`.
check_text <- function(value, name, what, call) {
  if (!is.character(value) || length(value) != 1L || is.na(value)) {
    input_error(sprintf("%s (%s) must be one character string, not %s", name, what, kind_of(value)), call)
  }
  if (grepl("[\r\n]", value)) {
    input_error(sprintf("%s (%s) must be one line: \"%s\" holds a line break", name, what, encodeString(value)), call)
  }
  invisible(value)
}

# A vector of numbers or of lines of text (a design file's list of values):
# no factor, no NA, no line break, at least one value.
check_values <- function(value, name, call) {
  if (is.factor(value) || !(is.numeric(value) || is.character(value) || is.logical(value)) || !length(value)) {
    input_error(sprintf("%s must be numbers or text, not %s", name, kind_of(value)), call)
  }
  if (anyNA(value)) input_error(sprintf("%s holds NA at position %d", name, which(is.na(value))[1L]), call)
  if (is.numeric(value) && !all(is.finite(value))) input_error(sprintf("%s holds a value that is not finite", name), call)
  if (is.character(value) && any(grepl("[\r\n]", value))) {
    input_error(sprintf("%s must be lines of text: \"%s\" holds a line break", name,
                        encodeString(value[grepl("[\r\n]", value)][1L])), call)
  }
  invisible(value)
}

# Progress and instruction sets --------------------------------------------------

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
