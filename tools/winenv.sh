# Sourced by the scripts that run Windows programs: a private Wine prefix in the build tree,
# a virtual display when there is none, and one wineserver kept alive for the whole run.
# winenv_start and winenv_stop end only what winenv_start started. The programs are those of the
# i686 Windows tree, in a 32-bit prefix; winenv_twin switches to the x86_64 twin's (tools/build.sh
# twin), in a 64-bit prefix of its own.
winenv_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
winenv_build=${TOVRA_BUILD_DIR:-$winenv_root/build}
export WINEPREFIX="$winenv_build/win32/wineprefix"
# Where Wine's 64-bit side is installed too, a fresh prefix turns 64-bit unless told otherwise.
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
winenv_xvfb_pid=""
winenv_server_pid=""

# Some virtual machines run no 32-bit x86 code at all (their kernel turns it off): there Wine
# cannot start an i686 program of ours and TOVRA_NO_WINE says why (the test command then takes
# the x86_64 twin). Where 32-bit programs run only through an emulator registered with the
# kernel, Wine crawls and the run would not end in time: the same. The refusal is read from the
# answer taken whole: piped, the refused start would fail the pipe in the scripts that set
# pipefail.
unset TOVRA_NO_WINE
if grep -qs '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386; then
  export TOVRA_NO_WINE="this machine runs 32-bit x86 programs only through an emulator (qemu-i386), too slow for Wine"
elif [ -x /usr/lib/wine/wineserver32 ] &&
     [[ "$(/usr/lib/wine/wineserver32 --version 2>&1 || true)" == *'Exec format error'* ]]; then
  export TOVRA_NO_WINE="this machine runs no 32-bit x86 programs"
fi

# The x86_64 twin: its prefix in its own tree, Wine's 64-bit loader under the names the tests
# call (tools/wine64).
winenv_twin() {
  export WINEPREFIX="$winenv_build/twin64/win32/wineprefix" WINEARCH=win64
  export PATH="$winenv_root/tools/wine64:$PATH"
  unset TOVRA_NO_WINE
}

winenv_start() {
  [ -z "${TOVRA_NO_WINE:-}" ] || return 0
  if [ -z "${DISPLAY:-}" ] || [ "${TOVRA_OWN_DISPLAY:-}" = 1 ]; then
    local fifo; fifo=$(mktemp -u); mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    winenv_xvfb_pid=$!
    local n; read -r n <"$fifo"; rm -f "$fifo"
    export DISPLAY=":$n"
  fi
  # A prefix of the other width (made before WINEARCH was set here) is made afresh.
  if [ -f "$WINEPREFIX/system.reg" ] && ! grep -qx "#arch=$WINEARCH" "$WINEPREFIX/system.reg"; then
    rm -rf "$WINEPREFIX"
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1 || true
    # Without a window manager Wine waits 2 s at every hidden window unless it draws the
    # frames itself.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 || true
    wineserver -w
    # The tests start the help viewer where Windows 98 has it; a 64-bit prefix has its own
    # viewer in system32 only (and a 32-bit one there where Wine's 32-bit side is installed).
    if [ "$WINEARCH" = win64 ]; then
      cp "$WINEPREFIX/drive_c/windows/system32/winhlp32.exe" "$WINEPREFIX/drive_c/windows/"
    fi
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
