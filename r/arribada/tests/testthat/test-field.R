test_that("the shipped survey gives the worked example's 443200 females", {
  survey <- read_arribada_field(example_file("survey.dat"))
  expect_identical(dim(survey$counts), c(30L, 8L))
  expect_identical(survey$header$NTR, 8L)
  estimate <- arribada_field(survey)
  expect_s3_class(estimate, "arribada_field")
  expect_equal(estimate$estimate, 443200)
  expect_identical(estimate, arribada_field(example_file("survey.dat")))
})

test_that("faults name the file and the line", {
  bad <- tempfile(fileext = ".dat")
  writeLines(c("TITLE", "0.08 2.0 60.0 15.0 400.0 8 x 1 0"), bad)
  expect_error(read_arribada_field(bad), "line 2")
  expect_error(read_arribada_field(file.path(tempdir(), "none.dat")), "does not exist")
})

test_that("the field analyses equal the program's tables on the shipped examples", {
  for (example in c("survey", "weighted", "perline")) {
    folder <- program_results(example)
    estimate <- arribada_field(example_file(paste0(example, ".dat")))
    expect_same_table(estimate, utils::read.csv(file.path(folder, "field.csv")))
    expect_same_table(attr(estimate, "times"), utils::read.csv(file.path(folder, "field-times.csv")))
  }
})
