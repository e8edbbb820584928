#' Simulate an arribada and its instantaneous counts
#'
#' Runs one simulation job of the `arribada` program: `IREP` replicates of an
#' arribada of `NN` females over `IHR` hours, each counted on `IC` of the `NTR`
#' strips of the beach every second hour, and the estimate of the number of
#' females with its variances and limits. The parameters are read as the
#' program reads a parameter file (the same ranges), and the results equal
#' the program's bit for bit.
#'
#' @param NN True number of females (at least 1).
#' @param IHR Length of the arribada in hours; from 18 hours on it is rounded
#'   to a multiple of 12 (halves upward) for the built-in table of 12-hour
#'   intervals, at most 209 (204 hours once rounded). A shorter arribada needs
#'   `table` instead.
#' @param MIN Minutes of unambiguous nesting activity of one female (above 0).
#' @param STDDEV Standard deviation of the nesting times, in hours, for a
#'   12-hour interval (not negative).
#' @param NTR Strips on the beach (1 to 1000).
#' @param IC Strips counted (1 to `NTR`).
#' @param IREP Replicates (1 to 1000).
#' @param JX Random starting value (1 to 2147483646; an even value is made
#'   odd). `NULL` takes the keyboard dialogue's default,
#'   `NN` x (`IHR` + 1) x `NTR` x `IC` x `MIN` made odd (762500001 for the
#'   defaults); where that product leaves the range 1 to 2147483646 (for
#'   instance `NN` above 140 818 with the other defaults), 762500001, the
#'   value the dialogue proposes then. 0 takes a parameter file's default,
#'   `NN` x `NTI` x `NTR` x `IC` x `MIN` (rounded), made odd.
#' @param KSW Law of the nesting times within an interval: 1 normal, 2
#'   Poisson, 3 uniform.
#' @param table A nesting-time table for an arribada shorter than 18 hours: a
#'   data frame whose first column holds the hours at which the intervals end
#'   (rising from above 0) and whose second holds their weights (1 to 17
#'   rows). The length of the arribada is then the whole part of the last
#'   hour, so `IHR` is not given with a table.
#' @param threads Threads of the engine: 1, or 2 to build each replicate's
#'   arribada on a second thread (the results do not change).
#' @section Reproducible runs: `JX` is the whole random state of a job:
#'   the same arguments and the same `JX` give the same replicates, bit for
#'   bit, on every machine, instruction set and thread count, and the same
#'   as the program given the same values. R's own generator is not used:
#'   `set.seed()` changes nothing, unless you let it choose `JX`, for
#'   instance `set.seed(1); arribada_simulate(JX = sample.int(2147483646, 1))`.
#'   The `JX` used is returned (`sim$JX`), so that a run can be repeated.
#' @section Errors: An argument that is not one value of the right type
#'   (a factor, `NA`, a vector, text with a line break) or that is outside
#'   its range stops with an error of class `arribada_input_error` (and
#'   `error`) naming the argument and its range, with the call.
#' @return An object of class `arribada_simulation`: a list with `summary`
#'   (a one-row data frame with the columns of the program's `summary.csv`),
#'   `replicates` (a data frame with the columns of `replicates.csv`), `JX`
#'   (the starting value used), `IHR` (the length of the arribada, rounded)
#'   and `table` (the nesting-time table used: interval end hours and the
#'   cumulative proportion of the females nested by then).
#'   `summary()` gives the summary's row, `as.data.frame()` the replicates.
#' @export
#' @examples
#' sim <- arribada_simulate(IREP = 10)
#' sim
#' summary(sim)
#' plot(sim)
#'
#' # A short arribada with its own nesting-time table
#' short <- data.frame(hour = c(2, 4, 6, 8, 10, 12), weight = c(1, 3, 6, 6, 3, 1))
#' arribada_simulate(NN = 20000, MIN = 8, STDDEV = 1, KSW = 3, IREP = 5, table = short)
arribada_simulate <- function(NN = 50000, IHR = 60, MIN = 5, STDDEV = 2, NTR = 10, IC = 5, IREP = 100,
                              JX = NULL, KSW = 1, table = NULL, threads = 1) {
  call <- sys.call()
  # The type of every argument here; the ranges are the parameter file's,
  # checked by the engine's reader (whose words name them), but for the
  # 32-bit bound that the reader's integers hold.
  largest <- .Machine$integer.max
  check_number(NN, "NN", "females, at least 1", call, whole = TRUE, upper = largest)
  check_number(MIN, "MIN", "minutes, above 0", call)
  check_number(STDDEV, "STDDEV", "hours, not negative", call)
  check_number(NTR, "NTR", "strips, 1 to 1000", call, whole = TRUE, lower = 1, upper = largest)
  check_number(IC, "IC", "strips counted, 1 to NTR", call, whole = TRUE, upper = largest)
  check_number(IREP, "IREP", "replicates, 1 to 1000", call, whole = TRUE, upper = largest)
  check_number(KSW, "KSW", "1 normal, 2 Poisson, 3 uniform", call, whole = TRUE, lower = 1, upper = 3)
  check_number(threads, "threads", "1 or 2", call, whole = TRUE, lower = 1, upper = 2)
  if (!is.null(JX)) check_number(JX, "JX", "0 or 1 to 2147483646, or NULL", call, whole = TRUE, lower = 0, upper = largest)
  marks <- weights <- numeric()
  if (is.null(table)) {
    check_number(IHR, "IHR", "hours, 18 to 209, or a table", call, whole = TRUE, lower = 1, upper = largest)
    if (IHR < 18) {
      input_error(sprintf("an arribada shorter than 18 hours (IHR = %s) needs its nesting-time table: give table", format(IHR)),
                  call)
    }
  } else {
    if (!missing(IHR)) input_error("give IHR or table, not both: the table's last hour sets IHR", call)
    if (!is.data.frame(table) || ncol(table) < 2L || nrow(table) < 1L || nrow(table) > 17L) {
      input_error("table must be a data frame of 1 to 17 rows: the hours at which the intervals end, then their weights",
                  call)
    }
    for (column in 1:2) {
      values <- table[[column]]
      if (!is.numeric(values) || is.factor(values) || anyNA(values)) {
        input_error(sprintf("table's column %d (%s) must hold numbers, not %s", column, names(table)[column],
                            if (anyNA(values)) sprintf("NA (row %d)", which(is.na(values))[1L]) else kind_of(values)),
                    call)
      }
    }
    marks <- table[[1L]]
    weights <- table[[2L]]
    IHR <- nrow(table)  # as a parameter file gives the table's rows
  }
  values <- list(NTR = NTR, IC = IC, NN = NN, IHR = IHR, JX = if (is.null(JX)) 0 else JX, MIN = MIN,
                 IREP = IREP, STDDEV = STDDEV, KSW = KSW)
  job <- engine_call(simulate_job(values, as.double(marks), as.double(weights), is.null(JX), as.integer(threads),
                                  instruction_set_asked(), progress_function(IREP)), call)
  summary <- as_frame(job$summary)
  structure(list(summary = summary, replicates = as_frame(job$replicates), JX = job$JX, IHR = summary$IHR,
                 table = as_frame(job$table)),
            class = "arribada_simulation")
}

#' @export
print.arribada_simulation <- function(x, ...) {
  s <- x$summary
  cat(sprintf("Simulated arribada: %d females over %d hours, %d of %d strips counted, %d replicates (JX %d)\n",
              s$NN, s$IHR, s$IC, s$NTR, s$IREP, s$JX))
  cat(sprintf("Mean estimate %s (bias %s%%), RMSE %s\n", format(s$mean_estimate), format(s$percent_bias, digits = 3),
              format(s$rmse, digits = 6)))
  cat(sprintf("Intervals missing NN: %d of %d (coverage %s)\n", s$misses, s$IREP, format(s$coverage, digits = 3)))
  invisible(x)
}

#' @export
summary.arribada_simulation <- function(object, ...) object$summary

#' @export
as.data.frame.arribada_simulation <- function(x, row.names = NULL, optional = FALSE, ...) x$replicates

#' Plot a simulation's estimates
#'
#' A histogram of the replicates' estimates, with the true number of females
#' and the mean estimate marked and the coverage of the intervals in the title.
#'
#' @param x An `arribada_simulation` from [arribada_simulate()].
#' @param ... Passed on to [graphics::hist()].
#' @return `x`, invisibly.
#' @export
#' @examples
#' plot(arribada_simulate(IREP = 20))
plot.arribada_simulation <- function(x, ...) {
  s <- x$summary
  estimates <- x$replicates$MHAT
  graphics::hist(estimates, main = sprintf("%d replicates: %d of %d intervals include NN", s$IREP,
                                           s$IREP - s$misses, s$IREP),
                 xlab = "estimated number of females", xlim = range(estimates, s$NN), ...)
  graphics::abline(v = s$NN, lwd = 2)
  graphics::abline(v = s$mean_estimate, lty = 2)
  graphics::legend("topright", c("true number NN", "mean estimate"), lwd = c(2, 1), lty = c(1, 2), bty = "n")
  invisible(x)
}
