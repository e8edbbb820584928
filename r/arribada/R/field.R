#' Read a survey's counts
#'
#' Reads a survey file as the `arribada` program reads it, in either layout:
#' the program's field-data file (a title line, the header `AREA`, `WIDTH`,
#' `HOURS`, `MEANT`, `LENGTH`, `NTR`, `NT1`, `CODE`, `JCODE`, the counts of
#' turtles in unambiguous egg-laying activity per transect and sampling
#' time, and the transect weights when `JCODE` is 1), or a CSV file saved
#' from a spreadsheet (`# NAME = value` lines, then a header row and one row
#' per sampling time: a name ending in `.csv`, or a first line beginning
#' with `#`). A fault is an R error naming the file, and the line (or row
#' and column), in the program's words; input that reads but was probably
#' meant otherwise gives a warning.
#'
#' @param file The survey file's name.
#' @return An object of class `arribada_field_data`: a list with `file`,
#'   `title`, `header` (a named list), `counts` (an integer matrix, one row
#'   per sampling time and one column per transect), `weights` (empty
#'   without weights), `MEANT_SE` (the standard error of `MEANT` in minutes,
#'   `NA` when not given), `hours` and `clock` (the sampling times, in clock
#'   hours when `clock` is `TRUE`).
#' @seealso [arribada_field()] for the estimate.
#' @export
#' @examples
#' survey <- read_arribada_field(system.file("extdata", "survey.dat", package = "arribada"))
#' survey
#' plot(survey)
#' read_arribada_field(system.file("extdata", "night-2.csv", package = "arribada"))
read_arribada_field <- function(file) read_field(file, sys.call())

read_field <- function(file, call) {
  check_text(file, "file", "a survey file's name", call)
  if (!file.exists(file) || dir.exists(file)) file_error(sprintf("the survey file '%s' does not exist", file), call)
  structure(engine_call(read_survey(file), call, "arribada_file_error"), class = "arribada_field_data")
}

#' Estimate the number of nesting females from field surveys
#'
#' The program's analysis of field surveys (`arribada --field`): for each
#' survey (a night, or a count period) the sample area and its ratio to the
#' nesting area, the number of turtles in unambiguous egg-laying activity
#' (UELAs), the estimated number of egg-laying females, its variance and the
#' limits of plus and minus two standard errors, exactly as the program's
#' field-data job gives them; then the total over the nights. Beside them:
#' the variance with the uncertainty of `MEANT` when the surveys give its
#' standard error (shared by the nights in the total) and log-normal limits.
#'
#' @param x A survey from [read_arribada_field()], a survey file's name, a
#'   list of surveys or names, or a character vector of names: one night
#'   each. Or a data frame of counts, one row per sampling time and one
#'   column per transect (an optional first column `time` holds clock times
#'   `"HH:MM"` or hours since the first count), whose survey's values come
#'   in `...`.
#' @param ... With a data frame `x`: the survey's values, named as in a CSV
#'   survey file: `AREA` (km2), `WIDTH` (m), `HOURS`, `MEANT` (minutes) and
#'   `LENGTH` (m), and optionally `WEIGHTS` (one per transect), `MEANT_SE`
#'   (minutes) or `DURATIONS` (the timed females' minutes), and `TITLE`.
#' @return A data frame of class `arribada_field`, one row per night and a
#'   last row for the total, with the columns of the program's `field.csv`
#'   of `arribada --field`; the attribute `times` holds every night's total
#'   count at each sampling time.
#' @export
#' @examples
#' arribada_field(system.file("extdata", "survey.dat", package = "arribada"))
#'
#' nights <- system.file("extdata", paste0("night-", 1:3, ".csv"), package = "arribada")
#' three <- arribada_field(nights)
#' three[, c("night", "estimate", "se", "LCL", "UCL", "lognormal_LCL", "lognormal_UCL")]
#' plot(three)
#'
#' counts <- data.frame(time = c("20:00", "22:00", "00:00"), T1 = c(3, 9, 7), T2 = c(7, 12, 20))
#' arribada_field(counts, AREA = 0.08, WIDTH = 2, HOURS = 6, MEANT = 58, LENGTH = 100)
arribada_field <- function(x, ...) {
  call <- sys.call()
  if (is.data.frame(x)) {
    surveys <- list(survey_of_table(x, list(...), call))
  } else {
    if (...length()) input_error("the survey's values in ... go with a data frame of counts only", call)
    if (is.character(x) || inherits(x, "arribada_field_data")) x <- list(x)
    if (!is.list(x) || !length(x)) {
      input_error(sprintf("x must hold surveys from read_arribada_field(), survey file names or a data frame of counts, not %s",
                          kind_of(x)), call)
    }
    surveys <- lapply(unlist(lapply(x, function(s) if (is.character(s)) as.list(s) else list(s)), recursive = FALSE),
                      function(survey) {
      if (is.character(survey)) survey <- read_field(survey, call)
      if (!inherits(survey, "arribada_field_data")) {
        input_error("x must hold surveys from read_arribada_field(), survey file names or a data frame of counts", call)
      }
      survey
    })
  }
  analysis <- engine_call(analyse_nights(surveys), call)
  structure(as_frame(analysis$estimate), times = as_frame(analysis$times), nights = length(surveys),
            class = c("arribada_field", "data.frame"))
}

# The survey's values a data frame of counts takes, with their kind in words.
table_values <- c(AREA = "km2, above 0", WIDTH = "m, above 0", HOURS = "hours, above 0", MEANT = "minutes, above 0",
                  LENGTH = "m, above 0", WEIGHTS = "one per transect", MEANT_SE = "minutes, not negative",
                  DURATIONS = "the timed females' minutes", TITLE = "one line of text")

# A data frame of counts and the survey's values as a survey. Its counts
# are checked here, so that a fault names the data frame's row and column.
survey_of_table <- function(counts, values, call) {
  if (!length(values) || is.null(names(values)) || any(names(values) == "")) {
    input_error("a data frame of counts needs the survey's values as named arguments (AREA = , WIDTH = , ...)", call)
  }
  for (name in names(values)) {
    if (!name %in% names(table_values)) {
      input_error(sprintf("unknown survey value '%s': the values are %s", name,
                          paste(names(table_values), collapse = ", ")), call)
    }
    value <- values[[name]]
    if (name == "TITLE") {
      check_text(value, name, table_values[[name]], call)
    } else if (name %in% c("WEIGHTS", "DURATIONS")) {
      check_values(value, name, call)
    } else {
      check_number(value, name, table_values[[name]], call)
    }
  }
  if ("time" %in% names(counts)) {
    times <- counts$time
    if (is.factor(times)) times <- as.character(times)
    if (anyNA(times)) input_error(sprintf("the data frame of counts has no time in row %d", which(is.na(times))[1L]), call)
    times <- as.character(times)
    counts <- counts[names(counts) != "time"]
  } else {
    # Hours since the first count, evenly spread over HOURS when it is given
    # (the estimate's assumption), else one hour apart.
    step <- if (is.numeric(values$HOURS) && length(values$HOURS) == 1L) values$HOURS / nrow(counts) else 1
    times <- format((seq_len(nrow(counts)) - 1L) * step, digits = 15, trim = TRUE)
  }
  if (!ncol(counts) || !nrow(counts)) input_error("the data frame of counts has no transect's counts", call)
  for (column in names(counts)) {
    count <- counts[[column]]
    if (!is.numeric(count) || is.factor(count)) {
      input_error(sprintf("column '%s' of the data frame of counts must hold counts (numbers), not %s", column,
                          if (is.factor(count)) "a factor" else class(count)[1L]), call)
    }
    bad <- which(is.na(count) | count < 0 | count > 32767 | count != round(count))
    if (length(bad)) {
      input_error(sprintf("row %d, column '%s' of the data frame of counts: %s is not a count (a whole number, 0 to 32767)",
                          bad[1L], column, format(count[bad[1L]])), call)
    }
  }
  survey <- engine_call(survey_from_table(times, lapply(counts, as.double), values, "the data frame of counts"), call)
  structure(survey, class = "arribada_field_data")
}

#' @export
print.arribada_field_data <- function(x, ...) {
  h <- x$header
  cat(sprintf("Survey '%s' (%s)\n", x$title, x$file))
  cat(sprintf("%d transects, %d sampling times, area %s km2, %d UELAs counted%s\n", h$NTR, h$NT1,
              format(h$AREA), sum(x$counts), if (length(x$weights)) ", weighted transects" else ""))
  invisible(x)
}

#' @export
summary.arribada_field_data <- function(object, ...) arribada_field(object)

#' @export
as.data.frame.arribada_field_data <- function(x, row.names = NULL, optional = FALSE, ...) {
  counts <- as.data.frame(unclass(x$counts))
  names(counts) <- if (is.null(colnames(x$counts))) paste0("T", seq_len(ncol(counts))) else colnames(x$counts)
  time <- if (isTRUE(x$clock)) sprintf("%02d:%02d", (x$hours %/% 1) %% 24, round(x$hours %% 1 * 60)) else x$hours
  cbind(data.frame(time = time), counts)
}

#' @export
as.data.frame.arribada_field <- function(x, row.names = NULL, optional = FALSE, ...) {
  attributes(x) <- list(names = names(x), row.names = .set_row_names(nrow(x)), class = "data.frame")
  x
}

#' @export
print.arribada_field <- function(x, ...) {
  shown <- c("night", "estimate", "se", "LCL", "UCL", "variance_with_MEANT", "lognormal_LCL", "lognormal_UCL")
  if (!all(shown %in% names(x))) return(invisible(print(as.data.frame(x), ...)))  # a subset of the columns
  label <- ifelse(x$night == "total", "total", paste("night", x$night))
  shown <- data.frame(row.names = label, estimate = x$estimate, SE = x$se, lower = x$LCL, upper = x$UCL,
                      SE_with_MEANT = sqrt(x$variance_with_MEANT), lognormal_lower = x$lognormal_LCL,
                      lognormal_upper = x$lognormal_UCL)
  # One night alone: its total is itself. After `[` or dplyr::filter() the
  # rows held are shown, whatever they are.
  if (identical(attr(x, "nights"), 1L) && identical(x$night, c("1", "total"))) shown <- shown[1L, , drop = FALSE]
  print(shown, digits = 7)
  invisible(x)
}

# The total counts of each sampling time, night by night.
plot_counts <- function(times, main) {
  nights <- split(times, times$night)
  x <- if (all(is.na(times$hours))) stats::ave(times$total, times$night, FUN = seq_along) else times$hours
  graphics::plot(range(x, na.rm = TRUE), range(0, times$total), type = "n", main = main,
                 xlab = if (all(is.na(times$hours))) "sampling time" else "hours",
                 ylab = "turtles counted on all transects")
  for (n in seq_along(nights)) {
    rows <- times$night == names(nights)[n]
    graphics::lines(x[rows], times$total[rows], type = "b", pch = 19, col = n)
  }
  if (length(nights) > 1L) graphics::legend("topright", paste("night", names(nights)), col = seq_along(nights), lwd = 1,
                                            bty = "n")
}

#' Plot the counts over the night
#'
#' The counts of every sampling time added over the transects, night by night.
#'
#' @param x A survey from [read_arribada_field()] or an analysis from [arribada_field()].
#' @param ... Not used.
#' @return `x`, invisibly.
#' @export
#' @examples
#' plot(read_arribada_field(system.file("extdata", "survey.dat", package = "arribada")))
plot.arribada_field_data <- function(x, ...) {
  plot_counts(data.frame(night = 1L, hours = x$hours, total = rowSums(x$counts)), x$title)
  invisible(x)
}

#' @rdname plot.arribada_field_data
#' @export
plot.arribada_field <- function(x, ...) {
  plot_counts(attr(x, "times"), if (nrow(x) == 2L) x$title[1L] else "Counts over the nights")
  invisible(x)
}
