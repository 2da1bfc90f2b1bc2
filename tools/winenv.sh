# Sourced by the scripts that run Windows programs: a private Wine prefix in the build tree,
# a virtual display when there is none, and one wineserver kept alive for the whole run.
# winenv_start and winenv_stop end only what winenv_start started.
winenv_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${TOVRA_BUILD_DIR:-$winenv_root/build}/win32/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
winenv_xvfb_pid=""
winenv_server_pid=""

# Some virtual machines run no 32-bit x86 code at all (their kernel turns it off): there Wine
# cannot start a Windows program of ours, and the tests that need one are skipped, saying why.
# Where 32-bit programs run only through an emulator registered with the kernel, Wine crawls
# and the run would not end in time: the same. The refusal is read from the answer taken whole:
# piped, the refused start would fail the pipe in the scripts that set pipefail.
unset TOVRA_NO_WINE
if grep -qs '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386; then
  export TOVRA_NO_WINE="this machine runs 32-bit x86 programs only through an emulator (qemu-i386), too slow for Wine"
elif [ -x /usr/lib/wine/wineserver32 ] &&
     [[ "$(/usr/lib/wine/wineserver32 --version 2>&1 || true)" == *'Exec format error'* ]]; then
  export TOVRA_NO_WINE="this machine runs no 32-bit x86 programs (its kernel refuses them), so Wine cannot start one"
fi

winenv_start() {
  [ -z "${TOVRA_NO_WINE:-}" ] || return 0
  if [ -z "${DISPLAY:-}" ] || [ "${TOVRA_OWN_DISPLAY:-}" = 1 ]; then
    local fifo; fifo=$(mktemp -u); mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    winenv_xvfb_pid=$!
    local n; read -r n <"$fifo"; rm -f "$fifo"
    export DISPLAY=":$n"
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    # Without a window manager Wine waits 2 s at every hidden window unless it draws the
    # frames itself.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    wineserver -w
  fi
  wineserver -p -f >/dev/null 2>&1 &
  winenv_server_pid=$!
  # Start Wine's own services now, detached from our output: started later by a test they
  # would inherit its pipes and keep ctest waiting.
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

winenv_stop() {
  if [ -n "$winenv_server_pid" ]; then
    # -k ends the programs of this prefix's server only, and the server with them.
    wineserver -k 2>/dev/null || true
    wait "$winenv_server_pid" 2>/dev/null || true
  fi
  if [ -n "$winenv_xvfb_pid" ]; then kill "$winenv_xvfb_pid" 2>/dev/null || true; wait "$winenv_xvfb_pid" 2>/dev/null || true; fi
  winenv_server_pid=""; winenv_xvfb_pid=""
}
