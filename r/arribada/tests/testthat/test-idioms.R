# The package behaves as R users expect of R packages: one table of cases,
# each an idiom (an argument checked the R way, a subset printed, a data
# frame taken) and what it must give.

counts <- data.frame(time = c("20:00", "22:00", "00:00"), T1 = c(3, 9, 7), T2 = c(7, 12, 20))
survey_values <- list(AREA = 0.08, WIDTH = 2, HOURS = 6, MEANT = 58, LENGTH = 100)
field_of <- function(table, ...) do.call("arribada_field", c(list(table), modifyList(survey_values, list(...))))
with_count <- function(row, column, value) {
  table <- counts
  table[[column]][row] <- value
  table
}
search <- list(NTR = 10, NN = c(20000, 50000), IC = c(2, 5), EVERY = c(2, 4), IREP = 100, ROUND_MINUTES = 20,
               STRIP_MINUTES = 6, TARGET_CV = 0.1)
design_with <- function(...) do.call("arribada_design", modifyList(search, list(...)))
# A field-data file whose MEANT (1 minute) reads but was probably meant in hours.
meant_in_hours <- function() {
  file <- tempfile(fileext = ".dat")
  writeLines(c("MEANT IN HOURS", "0.08 2.0 6.0 1.0 100.0 2 2 1 0", "3 7", "9 12"), file)
  file
}

# What dplyr::filter() does to a data frame of a class of its own: the rows
# kept, every attribute too (dplyr_reconstruct()).
filter_rows <- function(x, keep) {
  rows <- x[which(keep), , drop = FALSE]
  attributes(rows) <- c(attributes(rows)[c("names", "row.names")], attributes(x)[setdiff(names(attributes(x)), c("names", "row.names"))])
  rows
}

`%||%` <- function(a, b) if (is.null(a) || is.na(a)) b else a

# Conditions: the call's function, the classes, and the message's words.
condition_cases <- list(
  list("a factor where a number is wanted", quote(arribada_simulate(IC = factor(5))),
       "arribada_input_error", "IC (strips counted, 1 to NTR) must be one whole number, not a factor"),
  list("NA", quote(arribada_simulate(NN = NA_real_)), "arribada_input_error", "NN (females, at least 1) must be one whole number, not NA"),
  list("a vector where one value is wanted", quote(arribada_simulate(NN = c(1000, 2000))), "arribada_input_error",
       "NN (females, at least 1) must be one whole number, not 2 values"),
  list("a number past the range R checks", quote(arribada_simulate(KSW = 4)), "arribada_input_error",
       "KSW = 4 is outside its range: 1 normal, 2 Poisson, 3 uniform"),
  list("a number past the engine's range", quote(arribada_simulate(NTR = 1001)), "arribada_input_error",
       "NTR = 1001 strips, more than the 1000"),
  list("text where a logical is wanted", quote(arribada_design(IC = 2, parallel = "yes")), "arribada_input_error",
       "parallel (TRUE or FALSE) must be one logical value"),
  list("a line break in a design's text", quote(design_with(START = "first\nIREP = 5")), "arribada_input_error",
       "START must be lines of text: \"first\\nIREP = 5\" holds a line break"),
  list("a factor in a design's list", quote(design_with(IC = factor(c(2, 5)))), "arribada_input_error",
       "IC must be numbers or text, not a factor"),
  list("NA in a design's list", quote(design_with(IC = c(2, NA))), "arribada_input_error", "IC holds NA at position 2"),
  list("an unknown design name", quote(design_with(FOO = 1)), "arribada_input_error", "unknown name 'FOO'"),
  list("a line break in a file name", quote(read_arribada_field("a\nb.dat")), "arribada_input_error",
       "file (a survey file's name) must be one line"),
  list("a file that is not there", quote(read_arribada_field(file.path(tempdir(), "none.dat"))),
       "arribada_file_error", "does not exist"),
  list("a file that cannot be read", quote(read_arribada_field(bad_file)), "arribada_file_error", "line 2"),
  list("NA among the counts", quote(field_of(with_count(2, "T1", NA))), "arribada_input_error",
       "row 2, column 'T1' of the data frame of counts"),
  list("a count that is not whole", quote(field_of(with_count(3, "T2", 2.5))), "arribada_input_error",
       "row 3, column 'T2' of the data frame of counts: 2.5 is not a count"),
  list("a factor of counts", quote(field_of(transform(counts, T2 = factor(T2)))), "arribada_input_error",
       "column 'T2' of the data frame of counts must hold counts (numbers), not a factor"),
  list("text for a survey's number", quote(field_of(counts, AREA = "0.08")), "arribada_input_error",
       "AREA (km2, above 0) must be one number, not the text \"0.08\""),
  list("a line break in a title", quote(field_of(counts, TITLE = "North\nbeach")), "arribada_input_error",
       "TITLE (one line of text) must be one line"),
  list("not a task's result", quote(arribada_collect(list(1))), "arribada_input_error", "arribada_run_task"),
  list("a warning of a file that reads", quote(read_arribada_field(meant_in_hours())), "arribada_warning",
       "MEANT = 1 in the header")
)

bad_file <- tempfile(fileext = ".dat")
writeLines(c("TITLE", "0.08 2.0 60.0 15.0 400.0 8 x 1 0"), bad_file)

test_that("R idioms: conditions, subsets, data frames, JX = NULL", {
  for (case in condition_cases) {
    condition <- tryCatch(withCallingHandlers(eval(case[[2]]), warning = function(w) if (!inherits(w, "arribada_warning")) invokeRestart("muffleWarning")),
                          condition = identity)
    expect_s3_class(condition, case[[3]])
    expect_s3_class(condition, if (case[[3]] == "arribada_warning") "warning" else "error")
    called <- unname(c(design_with = "arribada_design", field_of = "arribada_field")[as.character(case[[2]][[1L]])]) %||%
      as.character(case[[2]][[1L]])
    expect_identical(as.character(conditionCall(condition)[[1L]]), called, label = case[[1]])
    expect_match(conditionMessage(condition), case[[4]], fixed = TRUE, label = case[[1]])
  }

  # Subsets print what they hold; the recommendation only with its row.
  designs <- design_with()
  recommended <- which(designs$recommended)[1L]
  other <- which(!designs$recommended)[1L]
  # Its first sentence, which the 80-column table keeps on one line.
  line <- sub("\\. .*$", ".", attr(designs, "recommendation"))
  subset_cases <- list(
    list("the whole search", designs, TRUE, nrow(designs)),
    list("[ without the recommended row", designs[other, ], FALSE, 1L),
    list("[ with it", designs[c(other, recommended), ], TRUE, 2L),
    list("a filter", filter_rows(designs, designs$IC == 2 & !designs$recommended), FALSE,
         sum(designs$IC == 2 & !designs$recommended)),
    list("head()", head(designs, 1L), isTRUE(designs$recommended[1L]), 1L)
  )
  for (case in subset_cases) {
    shown <- paste(capture.output(print(case[[2]])), collapse = "\n")
    expect_identical(grepl(line, shown, fixed = TRUE), case[[3]], label = case[[1]])
    expect_identical(nrow(summary(case[[2]])), as.integer(case[[4]]), label = case[[1]])
  }
  expect_match(paste(capture.output(print(designs[other, ])), collapse = "\n"), "1 row of 8", fixed = TRUE)
  # Columns taken: those columns shown.
  expect_match(capture.output(print(designs[, c("scenario", "NN")]))[2L], "scenario +NN")

  # Three nights filtered to two: both rows shown, the total too.
  nights <- arribada_field(example_file(c("night-1.csv", "night-2.csv", "night-3.csv")))
  old <- options(width = 250)
  on.exit(options(old))
  shown <- capture.output(print(filter_rows(nights, nights$night %in% c("1", "total"))))
  expect_identical(sub(" .*", "", grep("^(night|total)", shown, value = TRUE)), c("night", "total"))

  # as.data.frame() of every class returned: a plain data frame of the rows.
  sim <- arribada_simulate(IREP = 3)
  tasks <- do.call(arribada_tasks, search)
  frames <- list(
    list(sim, 3L), list(designs, nrow(designs)), list(nights, 4L), list(read_arribada_field(example_file("survey.dat")), 30L),
    list(tasks[[1L]], 1L), list(arribada_run_task(tasks[[1L]]), 4L)  # IC 2, 5 x EVERY 2, 4
  )
  for (frame in frames) {
    table <- as.data.frame(frame[[1]])
    expect_identical(class(table), "data.frame", label = class(frame[[1]])[1L])
    expect_identical(nrow(table), frame[[2]], label = class(frame[[1]])[1L])
  }
  # A survey's data frame gives the survey's estimate again (443 200, the worked example).
  h <- read_arribada_field(example_file("survey.dat"))$header
  again <- arribada_field(as.data.frame(read_arribada_field(example_file("survey.dat"))), AREA = h$AREA, WIDTH = h$WIDTH,
                          HOURS = h$HOURS, MEANT = h$MEANT, LENGTH = h$LENGTH)
  expect_equal(again$estimate[1L], 443200)

  # JX = NULL: the dialogue's default NN x (IHR + 1) x NTR x IC x MIN, made
  # odd, where it stays within 2147483646; 762500001 beyond.
  jx_cases <- list(list(50000, 762500001L),                 # 50000 x 61 x 10 x 5 x 5
                   list(140818, 2147474501L),               # 2147474500 made odd
                   list(140819, 762500001L),                # 2147489750, beyond
                   list(1000000, 762500001L))
  for (case in jx_cases) expect_identical(arribada_simulate(NN = case[[1]], IREP = 1)$JX, case[[2]], label = case[[1]])
  # set.seed() does not enter: the same JX gives the same replicates.
  set.seed(1)
  first <- arribada_simulate(IREP = 2)$replicates
  set.seed(2)
  expect_identical(arribada_simulate(IREP = 2)$replicates, first)
})
