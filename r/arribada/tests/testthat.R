library(testthat)
library(arribada)

test_check("arribada")
