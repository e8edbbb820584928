# Whether `a` and `b` hold the same values: the same 32-bit real for reals
# (a CSV's shortest decimal reads back as its real only within half a unit
# in the last place), the same value otherwise, NA where NA.
same_values <- function(a, b) {
  if (is.character(a)) {
    # An empty text is an empty field, which read.csv may read as NA.
    b <- as.character(b)
    return(identical(ifelse(is.na(a), "", a), ifelse(is.na(b), "", b)))
  }
  if (!is.double(a)) return(identical(as.vector(a), as.vector(b)))
  if (!identical(is.na(a), is.na(b))) return(FALSE)
  a <- a[!is.na(a)]
  b <- b[!is.na(b)]
  half_ulp <- ifelse(a == 0, 0, 2^(floor(log2(abs(a))) - 24))
  all(abs(a - b) <= half_ulp)
}

# Every column of the program's table `csv` (but the job's number and the
# file's name) in `frame`, with the same values.
expect_same_table <- function(frame, csv) {
  columns <- setdiff(names(csv), c("job", "file"))
  expect_identical(setdiff(columns, names(frame)), character())
  for (column in columns) {
    expect_true(same_values(frame[[column]], csv[[column]]), label = column)
  }
}

# The folder of the program's results folders for the shipped examples
# (written by .ci/run), or a skip.
program_results <- function(example) {
  folder <- Sys.getenv("ARRIBADA_PARITY_DIR")
  skip_if(folder == "", "ARRIBADA_PARITY_DIR names no folder of the program's results")
  file.path(folder, example)
}

example_file <- function(name) system.file("extdata", name, package = "arribada")
