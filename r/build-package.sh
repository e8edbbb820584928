#!/usr/bin/env bash
# Builds the R package's source tarball, arribada_<version>.tar.gz, in the
# current folder. The package in r/arribada/ holds only R's side: this script
# copies in the library's sources (src/ without the program's main.cpp and
# driver/, so they are never committed twice) and the shipped example files,
# and writes src/Makevars with the list of objects (R's make takes no
# wildcards), then runs R CMD build on that copy.
#
# Run from the repository's root: r/build-package.sh [options of R CMD build]
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

R CMD build "$@" "$package"
