#!/usr/bin/env bash
# Builds the R package's source tarball, arribada_<version>.tar.gz, in the
# current folder. The package in r/arribada/ holds only R's side: this script
# copies in the library's sources (src/ without the program's main.cpp and
# driver/, so they are never committed twice) and the shipped example files,
# and writes src/Makevars with the list of objects (R's make takes no
# wildcards), then runs R CMD build on that copy.
#
# Run from the repository's root: r/build-package.sh [options of R CMD build]
#
# r/build-package.sh --install [options of R CMD INSTALL] instead installs
# the package from that copy with one compile of the library (R CMD build
# then R CMD INSTALL of the tarball compile it twice: once to build the
# vignette): R CMD INSTALL of the copy, the vignette built with the package
# just installed, and R CMD INSTALL again, which finds the objects made.
#
# Without knitr, rmarkdown or pandoc (apt-get install --no-install-recommends
# r-base-dev leaves them out) the vignette is not built, and a line says so.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
staging="$(mktemp -d)"
trap 'rm -rf "$staging"' EXIT
package="$staging/arribada"
cp -R "$root/r/arribada" "$package"

# The library, folder by folder.
(cd "$root/src" && find . -path ./driver -prune -o -type f \( -name '*.cpp' -o -name '*.hpp' -o -name '*.inc' \) \
  ! -path ./main.cpp -print | sed 's|^\./||' | LC_ALL=C sort) > "$staging/library"
while read -r file; do
  mkdir -p "$package/src/$(dirname "$file")"
  cp "$root/src/$file" "$package/src/$file"
done < "$staging/library"

mkdir -p "$package/inst/extdata"
cp "$root"/examples/*.dat "$root"/examples/*.par "$root"/examples/*.csv "$root"/examples/*.design "$package/inst/extdata/"

# The objects: the package's own glue (src/*.cpp) and the library's.
objects() {
  (cd "$root/r/arribada/src" && ls -- *.cpp)
  grep '\.cpp$' "$staging/library"
}
object_list="$(objects | LC_ALL=C sort | sed 's/\.cpp$/.o/; s/^/  /; $!s/$/ \\/')"
write_makevars() {
  local file="$1" cppflags="$2" libs="$3"
  {
    echo "# Written by r/build-package.sh: the library's objects and the package's glue."
    echo "CXX_STD = CXX20"
    echo "PKG_CPPFLAGS = $cppflags"
    [ -z "$libs" ] || echo "PKG_LIBS = $libs"
    echo "OBJECTS = \\"
    echo "$object_list"
    echo
    echo "all: \$(SHLIB)"
    echo
    echo "# R's own cleaning removes src/*.o only: the library's folders too."
    echo "clean: clean-library"
    echo "clean-library:"
    printf '\t@rm -f $(OBJECTS)\n'
  } > "$package/src/$file"
}
write_makevars Makevars "-I." ""
# Windows: windows.h without its min and max macros and its rarely used
# parts; WaitOnAddress (synchronization) and the UTF-16 command line (shell32).
write_makevars Makevars.win "-I. -DNOMINMAX -DWIN32_LEAN_AND_MEAN" "-lsynchronization -lshell32"

# Whether the vignette can be built here: knitr, rmarkdown and pandoc.
vignette_tools() {
  Rscript -e 'quit(status = !all(vapply(c("knitr", "rmarkdown"), requireNamespace, TRUE, quietly = TRUE)) ||
                              !rmarkdown::pandoc_available())' > /dev/null 2>&1
}

if [ "${1:-}" = "--install" ]; then
  shift
  # The vignette is built with the package just installed: its library first.
  library=""
  for ((i = 1; i <= $#; i++)); do
    case "${!i}" in
      -l) j=$((i + 1)); library="${!j}" ;;
      --library=*) library="${!i#--library=}" ;;
    esac
  done
  [ -z "$library" ] || export R_LIBS="$library${R_LIBS:+:$R_LIBS}"
  R CMD INSTALL "$@" "$package"
  if vignette_tools; then
    (cd "$package/vignettes" && Rscript -e 'tools::buildVignettes(dir = "..", quiet = TRUE)')
    mkdir -p "$package/inst/doc"
    cp "$package"/vignettes/*.Rmd "$package"/vignettes/*.html "$package/inst/doc/"
    R CMD INSTALL "$@" "$package"
  else
    echo "build-package.sh: knitr, rmarkdown or pandoc missing: installed without the vignette" >&2
  fi
  exit 0
fi

if ! vignette_tools && [[ " $* " != *" --no-build-vignettes "* ]]; then
  echo "build-package.sh: knitr, rmarkdown or pandoc missing: building without the vignette (--no-build-vignettes)" >&2
  set -- --no-build-vignettes "$@"
fi
R CMD build "$@" "$package"
