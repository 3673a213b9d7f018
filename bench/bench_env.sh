# Sourced by the benchmarks under Wine: checks that the programs are built, joins the test
# environment (or starts it and stops it again at the end), and writes the demo data into a fresh
# folder with both game files remembered, so the editor starts with no dialog.
#
#   bench_env NAME BUILD_DIR EXE...   sets wine_env and data ($BUILD_DIR/bench-NAME)
bench_env() {
  local name=$1 build_dir=$2 exe
  shift 2
  for exe in "$@"; do
    [[ -f $build_dir/$exe ]] || { echo "${name}_bench: $build_dir/$exe is not built" >&2; exit 1; }
  done

  wine_env=$repo/tests/e2e/wine_env.sh
  export TOVICK_WINE=$repo/scripts/wine.sh
  if [[ ! -f $build_dir/e2e-wine/xvfb.pid && -z ${DISPLAY:-} ]]; then
    trap '"$wine_env" stop "'"$build_dir"'"' EXIT
  fi
  local exports
  exports=$("$wine_env" start "$build_dir") || {
    echo "${name}_bench: the Wine environment could not be prepared" >&2
    exit 1
  }
  eval "$exports"

  data=$build_dir/bench-$name
  rm -rf "$data"
  mkdir -p "$data"
  "$TOVICK_WINE" "$build_dir/tovick-gen.exe" --dir "Z:${data//\//\\}" </dev/null >/dev/null
  printf 'Z:%s\r\n' "${data//\//\\}\\DEFAULT.IDE" >"$data/DEFIDE.txt"
  printf 'Z:%s\r\n' "${data//\//\\}\\MAIN.SCM" >"$data/MAINSCM.txt"
}
