test_that("the default simulation gives the worked example's figures", {
  sim <- arribada_simulate()
  expect_s3_class(sim, "arribada_simulation")
  expect_identical(sim$JX, 762500001L)
  expect_equal(sim$summary$mean_estimate, 50198.4, tolerance = 1e-6)
  expect_identical(sim$summary$misses, 3L)
  expect_identical(nrow(sim$replicates), 100L)
  expect_identical(sum(!sim$replicates$covered), 3L)
})

test_that("every instruction set and both thread counts give the same replicates", {
  old <- options(arribada.instruction_set = "baseline")
  on.exit(options(old))
  reference <- arribada_simulate(IREP = 10, KSW = 2)$replicates
  for (set in arribada_instruction_sets()) {
    options(arribada.instruction_set = set)
    for (threads in 1:2) expect_identical(arribada_simulate(IREP = 10, KSW = 2, threads = threads)$replicates,
                                          reference, label = paste(set, threads))
  }
})

test_that("parameters outside the program's ranges are errors naming them", {
  cases <- list(
    list(args = list(IREP = 0), error = "IREP = 0 replicates, outside 1 to 1000"),
    list(args = list(NTR = 1001), error = "NTR = 1001 strips"),
    list(args = list(IC = 11), error = "IC = 11 strips sampled, outside 1 to NTR = 10"),
    list(args = list(MIN = 0), error = "MIN = 0 minutes"),
    list(args = list(KSW = 4), error = "KSW = 4 is outside its range"),
    list(args = list(IHR = 12), error = "needs its nesting-time table"),
    list(args = list(IHR = 210), error = "IHR = 210 hours"),
    list(args = list(NN = 2.5), error = "NN (females, at least 1) must be one whole number, not 2.5"),
    list(args = list(JX = 2147483646), error = "JX = 2147483646")
  )
  for (case in cases) expect_error(do.call(arribada_simulate, case$args), case$error, fixed = TRUE)
})

test_that("IC 2, allowed by the parameter file, runs; IHR is returned rounded", {
  sim <- arribada_simulate(IC = 2, IHR = 66, IREP = 2)
  expect_identical(sim$IHR, 72L)
  expect_identical(sim$summary$IC, 2L)
})

test_that("the simulations equal the program's tables on the shipped examples", {
  jobs <- list(
    list(folder = "default-simulation", jobs = list(list())),
    list(folder = "default-file", jobs = list(list(JX = 0))),
    list(folder = "compare-designs", jobs = lapply(c(2, 5, 10), function(IC) list(IC = IC, IREP = 200, JX = 762500001))),
    list(folder = "short-arribada", jobs = list(list(
      NN = 20000, MIN = 8, IREP = 50, STDDEV = 1, KSW = 3, JX = 0,
      table = data.frame(hour = c(2, 4, 6, 8, 10, 12), weight = c(1, 3, 6, 6, 3, 1))
    )))
  )
  old <- options(arribada.instruction_set = NULL)
  on.exit(options(old))
  for (example in jobs) {
    folder <- program_results(example$folder)
    summary <- utils::read.csv(file.path(folder, "summary.csv"))
    replicates <- utils::read.csv(file.path(folder, "replicates.csv"))
    for (job in seq_along(example$jobs)) {
      for (set in arribada_instruction_sets()) {
        options(arribada.instruction_set = set)
        sim <- do.call(arribada_simulate, example$jobs[[job]])
        expect_same_table(sim$summary, summary[job, setdiff(names(summary), "title")])
        expect_same_table(sim$replicates, replicates[replicates$job == job, ])
      }
    }
  }
})

test_that("a run stopped between replicates stops the engine's thread and leaves the session usable", {
  on.exit(setTimeLimit())
  expect_error({
    setTimeLimit(elapsed = 0.5, transient = TRUE)
    arribada_simulate(NN = 1000000, NTR = 1000, IC = 1000, JX = 12345, IREP = 1000, threads = 2)
  })
  setTimeLimit()
  expect_identical(arribada_simulate(IREP = 2, KSW = 3, threads = 2)$summary$IREP, 2L)
})
