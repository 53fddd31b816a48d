# The start of the build scripts of tools/, sourced: strict mode, the top
# folder as the current one (in $top), the missing Debian packages installed.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
tools/deps

# build_preset PRESET [TARGET...]: configures the tree of a preset of
# CMakePresets.json and builds it, or only the TARGETs. The configure step
# is silent unless it fails; then it runs again to show why, on standard
# error, so that a caller may silence the build's own output.
build_preset() {
  local preset=$1 targets=()
  shift
  [ $# -eq 0 ] || targets=(--target "$@")
  cmake --preset "$preset" >/dev/null 2>&1 || cmake --preset "$preset" >&2 || return
  cmake --build --preset "$preset" -j "$(nproc)" "${targets[@]}"
}
