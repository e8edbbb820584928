# The shipped examples/beach.design as arguments.
beach <- function(...) {
  arribada_design(NTR = 20, DENSITY = list(1, c(1, 3, 6, 3, 1)), NN = 50000, IHR = 60, IREP = 100,
                  IC = c(2, 4, 5, 10), EVERY = c(2, 4), START = c("first", "random"), ROUND_MINUTES = 20,
                  STRIP_MINUTES = 6, TARGET_CV = 0.10, TARGET_COVERAGE = 0.95, ...)
}
small <- list(NTR = 10, NN = c(20000, 50000), IC = c(2, 5), EVERY = c(2, 4), IREP = 10, ROUND_MINUTES = 20,
              STRIP_MINUTES = 6, TARGET_CV = 0.1)

test_that("the shipped design search recommends what the README says and equals the program's designs.csv", {
  designs <- beach()
  expect_s3_class(designs, "arribada_design")
  expect_match(attr(designs, "recommendation"), "Recommended: IC 5, every 4 h, first strip (12.5 observer-hours",
               fixed = TRUE)
  expect_same_table(designs, utils::read.csv(file.path(program_results("beach-designs"), "designs.csv")))
})

test_that("tasks run in any order, and in two worker processes, give the sequential search row for row", {
  sequential <- do.call(arribada_design, small)
  tasks <- do.call(arribada_tasks, small)
  expect_length(tasks, 2L)
  expect_identical(arribada_collect(lapply(rev(tasks), arribada_run_task)), sequential)
  skip_if_not_installed("future.apply")
  old <- future::plan(future::multisession, workers = 2)
  on.exit(future::plan(old))
  expect_identical(do.call(arribada_design, c(small, parallel = TRUE)), sequential)
})

test_that("an unknown or faulty argument is an error naming it", {
  expect_error(do.call(arribada_design, c(small, FOO = 1)), "unknown name 'FOO'")
  expect_error(do.call(arribada_design, small[names(small) != "TARGET_CV"]), "TARGET_CV is required")
  expect_error(arribada_collect(list(1)), "arribada_run_task")
})
