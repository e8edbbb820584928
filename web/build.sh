#!/usr/bin/env bash
# Builds the field station's page: the library compiled to WebAssembly with
# Emscripten (em++), embedded with the page's script, styles, words and the
# shipped examples in one self-contained arribada.html, written into the
# folder this is run from. Nothing else is left there: the objects go to a
# scratch folder that is removed on exit.
#
#   web/build.sh            (from any folder; needs em++ and python3)
#
# ARRIBADA_WEB_JOBS sets how many files compile at once (default: the cores).
set -euo pipefail

web_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source_dir="$(dirname "$web_dir")"
out_dir="$PWD"

if ! command -v em++ > /dev/null; then
  echo "web/build.sh: em++ not found; install Emscripten (Debian/Ubuntu: sudo apt-get install emscripten)" >&2
  exit 1
fi
# Debian's Emscripten finds its JavaScript tools (acorn) among Debian's node
# modules, which a Node.js from elsewhere does not search.
export NODE_PATH="${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs"
if command -v ccache > /dev/null && [ -z "${EM_COMPILER_WRAPPER:-}" ]; then export EM_COMPILER_WRAPPER=ccache; fi

scratch="$(mktemp -d "${TMPDIR:-/tmp}/arribada-web.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT

# The library: every source of src/ but the console program (src/driver/,
# src/main.cpp), and the page's binding. The fast path builds its baseline
# kernels only (no x86 here); the page runs it on one thread.
mapfile -t sources < <(cd "$source_dir" && find src web -name '*.cpp' ! -path 'src/driver/*' ! -name main.cpp | sort)
version="$(sed -n 's/^project(arribada VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")"
flags=(-std=c++20 -O2 -fexceptions -ffp-contract=off -Wall -Wextra -Wno-unused-private-field -I"$source_dir/src" -include "$web_dir/bit_cast.hpp"
       -DARRIBADA_VERSION="\"$version\"")
mkdir -p "$scratch/obj"
jobs_at_once="${ARRIBADA_WEB_JOBS:-$(nproc)}"
for source in "${sources[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs_at_once" ]; do wait -n; done
  em++ "${flags[@]}" -c "$source_dir/$source" -o "$scratch/obj/${source//\//_}.o" &
done
for pid in $(jobs -p); do wait "$pid"; done
for source in "${sources[@]}"; do
  [ -f "$scratch/obj/${source//\//_}.o" ] || { echo "web/build.sh: $source did not compile" >&2; exit 1; }
done

# One script that defines createArribada(), the WebAssembly inside it as
# base64 (a page opened from file:// cannot fetch a neighbouring .wasm). It
# runs in the page's worker only.
em++ -O2 -fexceptions "$scratch"/obj/*.o -o "$scratch/arribada-module.js" \
  -sSINGLE_FILE=1 -sMODULARIZE=1 -sEXPORT_NAME=createArribada -sENVIRONMENT=worker \
  -sALLOW_MEMORY_GROWTH=1 -sFILESYSTEM=0 \
  -sEXPORTED_FUNCTIONS="$(tr -d ' \n' < "$web_dir/exports.txt")" \
  -sEXPORTED_RUNTIME_METHODS=UTF8ToString,stringToUTF8,lengthBytesUTF8,writeArrayToMemory

python3 "$web_dir/assemble.py" --web "$web_dir" --examples "$source_dir/examples" \
  --module "$scratch/arribada-module.js" --version "$version" --out "$scratch/arribada.html"
mv "$scratch/arribada.html" "$out_dir/arribada.html"
echo "wrote $out_dir/arribada.html"
