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
#' @section Parallel runs and clusters: With `parallel = TRUE` every
#'   scenario is one future (a cluster job under future.batchtools), and
#'   they are started longest first: the scenarios of an uneven beach (which
#'   the engine builds female by female) before those of an even one, then
#'   by the random draws expected (females x replicates), so that the last
#'   to finish is a short one. A search's time is that of its longest
#'   scenario at best: the crowded beach of the shipped example takes about
#'   four times the even one's. The package never sets a plan; on a cluster
#'   with Slurm, SGE or PBS, future.batchtools' own templates pass the
#'   `resources` on as the scheduler's options (one job per scenario):
#'   ```
#'   # Slurm: sbatch --mem=1G --time=01:00:00
#'   future::plan(future.batchtools::batchtools_slurm,
#'                resources = list(mem = "1G", time = "01:00:00"))
#'   # SGE: qsub -l h_rt=01:00:00,mem_free=1G
#'   future::plan(future.batchtools::batchtools_sge,
#'                resources = list(h_rt = "01:00:00", mem_free = "1G"))
#'   # PBS / Torque: qsub -l walltime=01:00:00,mem=1gb
#'   future::plan(future.batchtools::batchtools_torque,
#'                resources = list(walltime = "01:00:00", mem = "1gb"))
#'   designs <- arribada_design(..., parallel = TRUE)
#'   ```
#' @section Interrupting a parallel search: After an interrupt (Ctrl-C, or
#'   Esc in RStudio) during a search on `future::plan(future::multisession)`,
#'   the workers are still busy with the stopped futures, and the next
#'   parallel call waits for them, which looks like a hang. This is a limit
#'   of the future framework, not of the search. Reset the plan, which ends
#'   those workers and starts new ones:
#'   ```
#'   future::plan(future::sequential)
#'   future::plan(future::multisession, workers = 2)
#'   ```
#'   A sequential search stops between two replicates and leaves the session
#'   as it was.
#' @section Errors: Arguments of the wrong type (a factor, `NA`, text with a
#'   line break, several values where one is wanted) and values the design
#'   file refuses stop with an error of class `arribada_input_error` naming
#'   the argument, with the call.
#' @param ... The design file's names and values.
#' @param parallel `TRUE` to run the scenarios with future.apply (which must
#'   then be installed) on the current `future::plan()`, one future each.
#' @return A data frame of class `arribada_design` with the columns of the
#'   program's `designs.csv`, one row per design and scenario, cheapest
#'   first; the attribute `recommendation` holds the recommendation's line
#'   and `text` the program's table as printed. It prints as the program's
#'   table; a subset of its rows (`[`, `head()`, `dplyr::filter()`) prints
#'   the rows it holds, with the recommendation only when the recommended
#'   row is among them. `summary()` gives the main columns and
#'   `as.data.frame()` a plain data frame.
#' @export
#' @examples
#' designs <- arribada_design(NTR = 10, NN = 50000, IC = c(2, 5, 10), EVERY = c(2, 4), IREP = 20,
#'                            ROUND_MINUTES = 20, STRIP_MINUTES = 6, TARGET_CV = 0.1)
#' designs
#' plot(designs)
arribada_design <- function(..., parallel = FALSE) {
  call <- sys.call()
  if (!is.logical(parallel) || length(parallel) != 1L || is.na(parallel)) {
    input_error(sprintf("parallel (TRUE or FALSE) must be one logical value, not %s", kind_of(parallel)), call)
  }
  tasks <- design_tasks(list(...), call)
  if (parallel) {
    if (!requireNamespace("future.apply", quietly = TRUE)) input_error("parallel = TRUE needs the future.apply package", call)
    advance <- progress_function(length(tasks))
    # One future per task, in the tasks' order: the longest scenario first.
    results <- future.apply::future_lapply(tasks, function(task) {
      result <- arribada::arribada_run_task(task)
      if (!is.null(advance)) advance(1L)
      result
    }, future.seed = NULL, future.packages = "arribada",
    future.chunk.size = 1L)
  } else {
    size <- design_size(tasks[[1L]]$settings)
    advance <- progress_function(length(tasks) * size[["IREP"]])
    results <- lapply(tasks, run_task, progress = advance, call = call)
  }
  collect(results, call)
}

#' The design search split into tasks, one per scenario
#'
#' `arribada_tasks()` checks the search's arguments and splits it into one
#' task per scenario; `arribada_run_task()` runs one task (anywhere: another
#' process, a cluster job); `arribada_collect()` combines the tasks' results
#' into what [arribada_design()] returns. A task and its result are plain R
#' lists (the design search's arguments as the text of a design file, the
#' task's number, and the scenario's replicates as text), which
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
arribada_tasks <- function(...) design_tasks(list(...), sys.call())

# The tasks of a search whose arguments are `arguments`. Task k runs the k-th longest scenario, so that a scheduler that starts them
# in order finishes soonest.
design_tasks <- function(arguments, call) {
  if (length(arguments) && (is.null(names(arguments)) || any(names(arguments) == ""))) {
    input_error("every argument of the design search is named (NTR = 20, IC = c(2, 5), ...)", call)
  }
  for (name in names(arguments)) {
    value <- arguments[[name]]
    if (is.list(value) && !is.data.frame(value)) {
      for (i in seq_along(value)) check_values(value[[i]], sprintf("%s[[%d]]", name, i), call)
    } else {
      check_values(value, name, call)
    }
  }
  settings <- engine_call(design_settings_text(arguments), call)
  size <- engine_call(design_size(settings), call)
  tasks <- lapply(seq_len(size[["scenarios"]]), function(scenario) {
    structure(list(settings = settings, scenario = scenario), class = "arribada_task")
  })
  tasks
}

#' @rdname arribada_tasks
#' @export
arribada_run_task <- function(task) run_task(task, call = sys.call())

# One task, with `progress` called after every replicate.
run_task <- function(task, progress = NULL, call = sys.call(-1)) {
  if (!inherits(task, "arribada_task")) input_error("task must be one of arribada_tasks()'s tasks", call)
  result <- engine_call(design_run_scenario(task$settings, as.integer(task$scenario) - 1L, instruction_set_asked(),
                                            progress), call)
  structure(list(settings = task$settings, scenario = task$scenario, result = result), class = "arribada_task_result")
}

#' @rdname arribada_tasks
#' @export
arribada_collect <- function(results) collect(results, sys.call())

# The key of each row of a design table: its scenario and design.
design_keys <- function(x) paste(x$scenario, x$IC, x$EVERY, x$START)

collect <- function(results, call) {
  if (!is.list(results) || !length(results) || !all(vapply(results, inherits, TRUE, "arribada_task_result"))) {
    input_error("results must be a list of arribada_run_task()'s results", call)
  }
  settings <- results[[1L]]$settings
  if (!all(vapply(results, function(result) identical(result$settings, settings), TRUE))) {
    input_error("the results come from different design searches", call)
  }
  search <- engine_call(design_combine(settings, vapply(results, function(result) result$result, "")), call)
  table <- as_frame(search$table)
  structure(table, recommendation = search$recommendation, text = search$text, TARGET_CV = search$TARGET_CV,
            keys = design_keys(table), columns = names(table), class = c("arribada_design", "data.frame"))
}

# Whether `x` holds every row and column of its search, in the search's
# order: then the program's table describes it. `[`, head() and
# dplyr::filter() keep the attributes but not always the rows.
whole_search <- function(x) {
  identical(names(x), attr(x, "columns")) && identical(design_keys(x), attr(x, "keys"))
}

# Whether the recommended design's row is among those `x` holds.
holds_recommendation <- function(x) {
  !is.null(attr(x, "recommendation")) && is.logical(x$recommended) && any(x$recommended, na.rm = TRUE)
}

#' @export
print.arribada_design <- function(x, ...) {
  if (whole_search(x)) {
    cat(attr(x, "text"))
    return(invisible(x))
  }
  whole <- attr(x, "keys")
  cat(sprintf("Designs of a search: %d row%s%s\n", nrow(x), if (nrow(x) == 1L) "" else "s",
              if (is.null(whole)) "" else sprintf(" of %d", length(whole))))
  # The main columns when it holds them all, else the columns it holds.
  print(if (identical(names(x), attr(x, "columns"))) summary(x) else as.data.frame(x), ...)
  if (holds_recommendation(x)) cat(attr(x, "recommendation"), "\n", sep = "")
  invisible(x)
}

#' @export
summary.arribada_design <- function(object, ...) {
  columns <- c("scenario", "IC", "EVERY", "START", "observer_hours", "relative_rmse", "coverage", "meets_targets",
               "recommended")
  frame <- as.data.frame(object)
  if (any(columns %in% names(frame))) frame[intersect(columns, names(frame))] else frame
}

#' @export
as.data.frame.arribada_design <- function(x, row.names = NULL, optional = FALSE, ...) {
  attributes(x) <- list(names = names(x), row.names = .set_row_names(nrow(x)), class = "data.frame")
  x
}

#' @export
as.data.frame.arribada_task <- function(x, row.names = NULL, optional = FALSE, ...) data.frame(scenario = x$scenario)

#' @export
as.data.frame.arribada_task_result <- function(x, row.names = NULL, optional = FALSE, ...) {
  as_frame(design_task_rows(x$settings, x$result))
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
