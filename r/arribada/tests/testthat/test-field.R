test_that("the shipped surveys give the worked examples' figures", {
  survey <- read_arribada_field(example_file("survey.dat"))
  expect_identical(dim(survey$counts), c(30L, 8L))
  estimate <- arribada_field(survey)
  expect_s3_class(estimate, "arribada_field")
  expect_identical(estimate$night, c("1", "total"))
  expect_equal(estimate$estimate[1L], 443200)
  expect_identical(estimate, arribada_field(example_file("survey.dat")))
  # The same counts and values as a data frame give the same estimate.
  h <- survey$header
  table <- arribada_field(as.data.frame(survey$counts), AREA = h$AREA, WIDTH = h$WIDTH, HOURS = h$HOURS,
                          MEANT = h$MEANT, LENGTH = h$LENGTH)
  expect_identical(table$estimate, estimate$estimate)
  # Three nights: the README's figures, the total the sum of the nights.
  nights <- arribada_field(example_file(c("night-1.csv", "night-2.csv", "night-3.csv")))
  expect_equal(nights$estimate, c(14534.5, 20844.8, 11069.0, 46448.3), tolerance = 1e-5)
  expect_equal(nights$estimate[4L], sum(nights$estimate[1:3]))
  expect_equal(nights$lognormal_LCL[4L], 41682.5, tolerance = 1e-5)
})

test_that("faults name the file and the line, row or column", {
  bad <- tempfile(fileext = ".dat")
  writeLines(c("TITLE", "0.08 2.0 60.0 15.0 400.0 8 x 1 0"), bad)
  expect_error(read_arribada_field(bad), "line 2")
  expect_error(read_arribada_field(file.path(tempdir(), "none.dat")), "does not exist")
  counts <- data.frame(T1 = c(3, NA), T2 = c(7, 12))
  expect_error(arribada_field(counts, AREA = 0.08, WIDTH = 2, HOURS = 6, MEANT = 58, LENGTH = 100), "row")
  expect_error(arribada_field(counts), "named arguments")
})

test_that("the field analyses equal the program's tables on the shipped examples", {
  for (example in c("survey", "weighted", "perline")) {
    folder <- program_results(example)
    estimate <- arribada_field(example_file(paste0(example, ".dat")))
    expect_same_table(estimate[1L, ], utils::read.csv(file.path(folder, "field.csv")))
    times <- utils::read.csv(file.path(folder, "field-times.csv"))
    expect_identical(attr(estimate, "times")$total, times$total)
  }
  nights <- arribada_field(example_file(c("night-1.csv", "night-2.csv", "night-3.csv")))
  program <- utils::read.csv(file.path(program_results("nights"), "field.csv"))
  expect_same_table(nights, program[names(program) != "file"])
})

test_that("a stratified night is the sum of its strata, as --field gives it", {
  # Four transects in strata of 2 and 4 km^2 (worked by hand): 16 + 64 = 80
  # females, variance 16 + 128 = 144, limits 56 and 104; one stratum of 6 km^2
  # would give 72.
  night <- tempfile(fileext = ".csv")
  writeLines(c("# AREA = 6", "# WIDTH = 250", "# HOURS = 2", "# MEANT = 60", "# LENGTH = 4000",
               "# STRATUM = 1, 1, 2, 2", "# STRATUM_AREA = 2, 4",
               "time,T1,T2,T3,T4", "0,1,3,2,4", "1,2,2,4,6"), night)
  estimate <- arribada_field(night)
  expect_equal(estimate$estimate[1L], 80)
  expect_equal(c(estimate$LCL[1L], estimate$UCL[1L]), c(56, 104))
  expect_identical(arribada_field(read_arribada_field(night)), estimate)
})
