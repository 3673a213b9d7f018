#!/usr/bin/env bash
# Prepares the Wine environment the end-to-end tests run in, once per run, and tears it down.
#
#   eval "$(tests/e2e/wine_env.sh start BUILD_DIR)"   # prints the exports to use
#   tests/e2e/wine_env.sh stop BUILD_DIR
#   tests/e2e/wine_env.sh prefix PREFIX_DIR            # only make a prefix (e.g. for another user)
#
# start is idempotent: the prefix (BUILD_DIR/e2e-wine/prefix) is made once and reused; an X server
# is started only when DISPLAY is unset, and only once; the wineserver is kept running so that each
# test's Wine start is fast. Everything started here writes to /dev/null, so a test runner that
# waits on its pipes is never held up. stop ends exactly what start started (by its pid files).
set -euo pipefail

action=${1:-}
build_dir=${2:-}
if [[ -z $action || -z $build_dir ]]; then
  echo "usage: $0 start|stop|env BUILD_DIR | prefix PREFIX_DIR" >&2
  exit 2
fi
if [[ $action == prefix ]]; then
  prefix=$build_dir
else
  build_dir=$(cd "$build_dir" && pwd)
  state_dir=$build_dir/e2e-wine
  prefix=$state_dir/prefix
  mkdir -p "$state_dir"
fi

export WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win64
# No Mono or Gecko prompts while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="

repo=$(cd "$(dirname "$0")/../.." && pwd)
wine=$repo/scripts/wine.sh

log() { echo "wine_env: $*" >&2; }
fail() {
  log "$*"
  exit 1
}

detached() {
  # Started in its own session, with no inherited descriptors kept open.
  setsid "$@" </dev/null >/dev/null 2>&1 9>&- &
}

pid_alive() { [[ -f $1 ]] && kill -0 "$(cat "$1")" 2>/dev/null; }

start_display() {
  if [[ -n ${DISPLAY:-} ]]; then
    echo "$DISPLAY" >"$state_dir/display"
    return
  fi
  if pid_alive "$state_dir/xvfb.pid" && [[ -f $state_dir/display ]]; then
    DISPLAY=$(cat "$state_dir/display")
    export DISPLAY
    return
  fi
  local n
  for n in $(seq 90 199); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 9>&- &
    echo $! >"$state_dir/xvfb.pid"
    local tries=0
    while [[ ! -e /tmp/.X11-unix/X$n ]] && ((tries++ < 100)); do sleep 0.05; done
    if kill -0 "$(cat "$state_dir/xvfb.pid")" 2>/dev/null && [[ -e /tmp/.X11-unix/X$n ]]; then
      DISPLAY=:$n
      export DISPLAY
      echo "$DISPLAY" >"$state_dir/display"
      return
    fi
  done
  fail "could not start Xvfb on any display from :90 to :199"
}

# A prefix made before 32-bit Wine was installed runs no 32-bit program, and Wine cannot update
# it (its 32-bit half fails to start): it is made again, where this machine runs 32-bit programs.
lacks_32_bit() {
  [[ -x /usr/lib/wine/wine && ! -f $prefix/drive_c/windows/syswow64/kernel32.dll ]] &&
    "$repo/scripts/runs_32_bit.sh" >/dev/null
}

make_prefix() {
  if [[ -f $prefix/.tovick-ready ]] && ! lacks_32_bit; then return; fi
  if [[ -f $prefix/.tovick-ready ]]; then
    log "making the Wine prefix $prefix again, for 32-bit programs"
    wineserver -w  # waits for any program still running in it
    rm -rf "$prefix"
  fi
  log "creating the Wine prefix $prefix (takes a while the first time)"
  mkdir -p "$prefix"
  # (The lock's descriptor is closed for everything Wine leaves running.)
  "$wine" wineboot --init </dev/null >/dev/null 2>&1 9>&- ||
    fail "wineboot could not create the Wine prefix $prefix"
  wineserver -w
  [[ -f $prefix/drive_c/windows/system32/kernel32.dll ]] ||
    fail "wineboot left the Wine prefix $prefix without its system files"
  # Without a window manager every dialog close would wait 2 s.
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
    </dev/null >/dev/null 2>&1 9>&- || fail "could not set up the Wine prefix $prefix (reg add)"
  # The control font "Courier New" must be fixed-pitch, as on Windows.
  "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /t REG_SZ \
    /d 'Liberation Mono' /f </dev/null >/dev/null 2>&1 9>&- ||
    fail "could not set up the Wine prefix $prefix (reg add)"
  if [[ -d /usr/share/wine/fonts ]]; then
    cp -n /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  wineserver -w
  touch "$prefix/.tovick-ready"
}

start_server() {
  # Persistent until stop, so the tests do not pay Wine's start-up each time.
  # A second one for the same prefix finds the first running and leaves at once.
  detached wineserver -p
  # Start Wine's background services now, with nothing of ours inherited, rather than from
  # inside a test whose output pipes they would then hold open. It is also the check that Wine
  # starts programs in this prefix at all.
  "$wine" cmd /c exit </dev/null >/dev/null 2>&1 9>&- ||
    fail "Wine could not start a program in the prefix $prefix"
}

print_env() {
  echo "export WINEPREFIX='$prefix' WINEDEBUG=-all WINEARCH=win64 DISPLAY='$(cat "$state_dir/display")'"
}

case $action in
  start)
    exec 9>"$state_dir/lock"
    flock 9
    start_display
    make_prefix
    start_server
    print_env
    ;;
  env)
    print_env
    ;;
  prefix)
    make_prefix
    ;;
  stop)
    exec 9>"$state_dir/lock"
    flock 9
    wineserver -k 2>/dev/null || true
    if pid_alive "$state_dir/xvfb.pid"; then
      kill "$(cat "$state_dir/xvfb.pid")" 2>/dev/null || true
    fi
    rm -f "$state_dir/xvfb.pid" "$state_dir/display"
    ;;
  *)
    echo "unknown action: $action" >&2
    exit 2
    ;;
esac
