#' Read a field-data file
#'
#' Reads a survey's field-data file as the `arribada` program reads it: the
#' title line, the header (`AREA`, `WIDTH`, `HOURS`, `MEANT`, `LENGTH`, `NTR`,
#' `NT1`, `CODE`, `JCODE`), the counts of turtles in unambiguous egg-laying
#' activity per transect and sampling time, and the transect weights when
#' `JCODE` is 1. A fault is an R error naming the file and line, in the
#' program's words; input that reads but was probably meant otherwise gives
#' a warning.
#'
#' @param file The field-data file's name.
#' @return An object of class `arribada_field_data`: a list with `title`,
#'   `header` (a named list), `counts` (an integer matrix, one row per
#'   sampling time and one column per transect), `weights` (empty without
#'   weights) and `file`.
#' @seealso [arribada_field()] for the estimate.
#' @export
#' @examples
#' survey <- read_arribada_field(system.file("extdata", "survey.dat", package = "arribada"))
#' survey
#' plot(survey)
read_arribada_field <- function(file) {
  if (!is.character(file) || length(file) != 1L || is.na(file)) stop("file must be one file name", call. = FALSE)
  if (!file.exists(file) || dir.exists(file)) stop("the field-data file '", file, "' does not exist", call. = FALSE)
  bytes <- readBin(file, "raw", n = file.size(file))
  survey <- read_field_file(file, bytes)
  structure(c(survey, list(file = file, bytes = bytes)), class = "arribada_field_data")
}

#' Estimate the number of nesting females from a field survey
#'
#' The program's analysis of a field survey: the sample area and its ratio
#' to the nesting area, the number of turtles in unambiguous egg-laying
#' activity (UELAs), the estimated number of egg-laying females, its
#' variance and the limits of plus and minus two standard errors.
#'
#' @param x A survey from [read_arribada_field()], or a field-data file's name.
#' @return A one-row data frame of class `arribada_field` with the columns of
#'   the program's `field.csv`; the attribute `times` holds the counts of each
#'   sampling time (the columns of `field-times.csv`).
#' @export
#' @examples
#' estimate <- arribada_field(system.file("extdata", "survey.dat", package = "arribada"))
#' estimate
#' plot(estimate)
arribada_field <- function(x) {
  if (is.character(x)) x <- read_arribada_field(x)
  if (!inherits(x, "arribada_field_data")) {
    stop("x must be a survey from read_arribada_field() or a field-data file's name", call. = FALSE)
  }
  analysis <- analyse_field_file(x$file, x$bytes)
  structure(as_frame(analysis$estimate), times = as_frame(analysis$times),
            class = c("arribada_field", "data.frame"))
}

#' @export
print.arribada_field_data <- function(x, ...) {
  h <- x$header
  cat(sprintf("Field survey '%s' (%s)\n", x$title, x$file))
  cat(sprintf("%d transects, %d sampling times, area %s km2, %d UELAs counted%s\n", h$NTR, h$NT1,
              format(h$AREA), sum(x$counts), if (length(x$weights)) ", weighted transects" else ""))
  invisible(x)
}

#' @export
summary.arribada_field_data <- function(object, ...) arribada_field(object)

#' @export
print.arribada_field <- function(x, ...) {
  for (i in seq_len(nrow(x))) {
    cat(sprintf("%s\nEstimated females: %s", x$title[i], format(x$estimate[i])))
    if (!is.na(x$LCL[i])) cat(sprintf(" (limits %s to %s, SE %s)", format(x$LCL[i]), format(x$UCL[i]),
                                       format(x$se[i], digits = 6)))
    cat("\n")
  }
  invisible(x)
}

# The counts of each sampling time over the night.
plot_counts <- function(totals, title) {
  graphics::plot(seq_along(totals), totals, type = "b", pch = 19, main = title, xlab = "sampling time",
                 ylab = "turtles counted on all transects")
}

#' Plot a survey's counts over the night
#'
#' The counts of every sampling time added over the transects.
#'
#' @param x A survey from [read_arribada_field()] or an estimate from [arribada_field()].
#' @param ... Not used.
#' @return `x`, invisibly.
#' @export
#' @examples
#' plot(read_arribada_field(system.file("extdata", "survey.dat", package = "arribada")))
plot.arribada_field_data <- function(x, ...) {
  plot_counts(rowSums(x$counts), x$title)
  invisible(x)
}

#' @rdname plot.arribada_field_data
#' @export
plot.arribada_field <- function(x, ...) {
  plot_counts(attr(x, "times")$total, x$title[1L])
  invisible(x)
}
