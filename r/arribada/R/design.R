#' Search for the cheapest survey design that gives the precision asked for
#'
#' The program's design search (`arribada --design FILE`): which way of
#' counting the beach (strips counted `IC`, hours between counting rounds
#' `EVERY`, where the systematic sample starts `START`) is the cheapest in
#' observer-hours that keeps the relative RMSE within `TARGET_CV` and the
#' coverage of the intervals near `TARGET_COVERAGE`, on every arribada
#' expected (the scenarios: every combination of `NN`, `IHR`, `MIN`,
#' `STDDEV`, `KSW` and `DENSITY`).
#'
#' The arguments are the design file's names, upper-case, with the file's
#' defaults; a list in the file is a vector here (`IC = c(2, 5, 10)`,
#' `START = c("first", "random")`). `DENSITY` is a vector of relative
#' densities of equal sections of the beach, or a list of such vectors for
#' several scenarios. `NTR`, `NN`, `IC`, `ROUND_MINUTES`, `STRIP_MINUTES` and
#' `TARGET_CV` are required; the others are `DENSITY` (even beach), `IHR`
#' (60), `MIN` (5), `STDDEV` (2), `KSW` (1), `IREP` (100), `JX` (762500001),
#' `EVERY` (2), `START` ("first"), `TARGET_COVERAGE` (0.95), and
#' `TABLE_HOURS` and `TABLE_WEIGHTS` (the nesting-time table of an arribada
#' under 18 hours). An unknown name, or a value the design file refuses, is
#' an R error naming it.
#'
#' Every scenario is one random stream from `JX`, so its result depends on
#' nothing else: with `parallel = TRUE` the scenarios run as futures, on the
#' `future::plan()` the user has set (workers on a laptop, or a cluster
#' through future.batchtools), and the result equals the sequential one row
#' for row. [arribada_tasks()], [arribada_run_task()] and [arribada_collect()]
#' give the same split to those who schedule the tasks their own way.
#'
#' @param ... The design file's names and values.
#' @param parallel `TRUE` to run the scenarios with future.apply (which must
#'   then be installed) on the current `future::plan()`.
#' @return A data frame of class `arribada_design` with the columns of the
#'   program's `designs.csv`, one row per design and scenario, cheapest
#'   first; the attribute `recommendation` holds the recommendation's line
#'   and `text` the program's table as printed.
#' @export
#' @examples
#' designs <- arribada_design(NTR = 10, NN = 50000, IC = c(2, 5, 10), EVERY = c(2, 4), IREP = 20,
#'                            ROUND_MINUTES = 20, STRIP_MINUTES = 6, TARGET_CV = 0.1)
#' designs
#' plot(designs)
arribada_design <- function(..., parallel = FALSE) {
  tasks <- arribada_tasks(...)
  if (isTRUE(parallel)) {
    if (!requireNamespace("future.apply", quietly = TRUE)) {
      stop("parallel = TRUE needs the future.apply package", call. = FALSE)
    }
    advance <- progress_function(length(tasks))
    results <- future.apply::future_lapply(tasks, function(task) {
      result <- arribada::arribada_run_task(task)
      if (!is.null(advance)) advance(1L)
      result
    }, future.seed = NULL, future.packages = "arribada")
  } else {
    size <- design_size(tasks[[1L]]$settings)
    advance <- progress_function(length(tasks) * size[["IREP"]])
    results <- lapply(tasks, run_task, progress = advance)
  }
  arribada_collect(results)
}

#' The design search split into tasks, one per scenario
#'
#' `arribada_tasks()` checks the search's arguments and splits it into one
#' task per scenario; `arribada_run_task()` runs one task (anywhere: another
#' process, a cluster job); `arribada_collect()` combines the tasks' results
#' into what [arribada_design()] returns. A task and its result are plain R
#' lists (the design search's arguments as the text of a design file, the
#' scenario's number, and the scenario's replicates and measures as text), which
#' `saveRDS()` can carry between machines; the results may come back in any
#' order.
#'
#' @inheritParams arribada_design
#' @param task One of the tasks `arribada_tasks()` returns.
#' @param results The results of `arribada_run_task()` for every task, in any order.
#' @return `arribada_tasks()`: a list of tasks of class `arribada_task`.
#'   `arribada_run_task()`: the task's result, of class `arribada_task_result`.
#'   `arribada_collect()`: as [arribada_design()].
#' @export
#' @examples
#' tasks <- arribada_tasks(NTR = 10, NN = c(20000, 50000), IC = c(2, 5), IREP = 10,
#'                         ROUND_MINUTES = 20, STRIP_MINUTES = 6, TARGET_CV = 0.1)
#' results <- lapply(tasks, arribada_run_task)   # or one cluster job per task
#' arribada_collect(results)
arribada_tasks <- function(...) {
  arguments <- list(...)
  if (length(arguments) && (is.null(names(arguments)) || any(names(arguments) == ""))) {
    stop("every argument of the design search is named (NTR = 20, IC = c(2, 5), ...)", call. = FALSE)
  }
  settings <- design_settings_text(arguments)
  size <- design_size(settings)
  lapply(seq_len(size[["scenarios"]]), function(scenario) {
    structure(list(settings = settings, scenario = scenario), class = "arribada_task")
  })
}

#' @rdname arribada_tasks
#' @export
arribada_run_task <- function(task) run_task(task)

# One task, with `progress` called after every replicate.
run_task <- function(task, progress = NULL) {
  if (!inherits(task, "arribada_task")) stop("task must be one of arribada_tasks()'s tasks", call. = FALSE)
  result <- design_run_scenario(task$settings, as.integer(task$scenario) - 1L, instruction_set_asked(), progress)
  structure(list(settings = task$settings, scenario = task$scenario, result = result), class = "arribada_task_result")
}

#' @rdname arribada_tasks
#' @export
arribada_collect <- function(results) {
  if (!length(results) || !all(vapply(results, inherits, TRUE, "arribada_task_result"))) {
    stop("results must be arribada_run_task()'s results", call. = FALSE)
  }
  settings <- results[[1L]]$settings
  if (!all(vapply(results, function(result) identical(result$settings, settings), TRUE))) {
    stop("the results come from different design searches", call. = FALSE)
  }
  search <- design_combine(settings, vapply(results, function(result) result$result, ""))
  structure(as_frame(search$table), recommendation = search$recommendation, text = search$text,
            TARGET_CV = search$TARGET_CV, class = c("arribada_design", "data.frame"))
}

#' @export
print.arribada_design <- function(x, ...) {
  if (is.null(attr(x, "text"))) return(invisible(print(as.data.frame(x), ...)))  # a subset of the rows
  cat(attr(x, "text"))
  invisible(x)
}

#' @export
summary.arribada_design <- function(object, ...) {
  columns <- c("scenario", "IC", "EVERY", "START", "observer_hours", "relative_rmse", "coverage", "meets_targets",
               "recommended")
  as.data.frame(object)[, columns]
}

#' Plot a design search's frontier
#'
#' The figure of the program's `designs.svg`: observer-hours across,
#' relative RMSE up, one panel per scenario, the target as a red dashed
#' line, every design labelled (`5/4h`: 5 strips every 4 hours; `r` for a
#' random start) with its Monte Carlo error bar, filled when it meets the
#' targets, the recommended one ringed in green.
#'
#' @param x An `arribada_design` from [arribada_design()].
#' @param ... Not used.
#' @return `x`, invisibly.
#' @export
#' @examples
#' plot(arribada_design(NTR = 10, NN = 50000, IC = c(2, 5, 10), IREP = 10,
#'                      ROUND_MINUTES = 20, STRIP_MINUTES = 6, TARGET_CV = 0.1))
plot.arribada_design <- function(x, ...) {
  ran <- x[is.na(x$skipped) | x$skipped == "", , drop = FALSE]
  scenarios <- sort(unique(ran$scenario))
  old <- graphics::par(mfrow = grDevices::n2mfrow(length(scenarios)), mar = c(4, 4, 2.5, 1))
  on.exit(graphics::par(old))
  target <- attr(x, "TARGET_CV")
  for (s in scenarios) {
    d <- ran[ran$scenario == s, , drop = FALSE]
    low <- d$relative_rmse - d$relative_rmse_se
    high <- d$relative_rmse + d$relative_rmse_se
    graphics::plot(d$observer_hours, d$relative_rmse, ylim = range(0, low, high, target), pch = ifelse(d$meets_targets, 19, 1),
                   xlab = "observer-hours", ylab = "relative RMSE",
                   main = sprintf("scenario %d: NN %d, %s beach", s, d$NN[1L], d$density[1L]))
    graphics::arrows(d$observer_hours, low, d$observer_hours, high, angle = 90, code = 3, length = 0.03)
    graphics::abline(h = target, col = "red", lty = 2)
    graphics::text(d$observer_hours, d$relative_rmse, sprintf("%d/%dh%s", d$IC, d$EVERY,
                                                              ifelse(d$START == "random", "r", "")),
                   pos = 4, cex = 0.7)
    best <- d$recommended
    if (any(best)) graphics::points(d$observer_hours[best], d$relative_rmse[best], cex = 2.2, col = "darkgreen", lwd = 2)
  }
  invisible(x)
}
