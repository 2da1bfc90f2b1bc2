# Sourced by the bench scripts that run programs under Wine, once they have set root and build.
# By itself a script starts Wine in the build tree's prefix on a display of its own and ends it
# at its exit; run by ctest (TOVRA_WINE_STARTED set) it uses the prefix, display and server the
# test command started and leaves them running. A work folder below the Windows tree is $work
# and TOVRA_TMP; it goes at the exit, with the drive letters that lead into it. Where Wine
# cannot run our programs the script ends with 77, which ctest shows as skipped.
# Usage: source bench/winbench.sh NAME   (the work folder is named bench-NAME.*)
export TOVRA_BIN=${TOVRA_BIN:-$build/win32/bin}
if [ -z "${TOVRA_WINE_STARTED:-}" ]; then
  source "$root/tools/winenv.sh"
fi
if [ -n "${TOVRA_NO_WINE:-}" ]; then
  echo "skipped: $TOVRA_NO_WINE"
  exit 77
fi
work=$(mktemp -d "$(dirname "$TOVRA_BIN")/bench-$1.XXXXXX")
cleanup() {
  local l
  for l in "$WINEPREFIX"/dosdevices/?:; do
    case $(readlink "$l") in "$work" | "$work"/*) rm -f "$l" ;; esac
  done
  [ -n "${TOVRA_WINE_STARTED:-}" ] || winenv_stop
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
[ -n "${TOVRA_WINE_STARTED:-}" ] || winenv_start
export TOVRA_TMP="$work"

# map_drive DIR: maps the first free letter from M: to V: on to DIR as a fixed disk (no drive
# kind given) and prints it. W: is the one the Wine tests keep for the build tree.
map_drive() {
  local l
  for l in m n o p q r s t u v; do
    if [ ! -e "$WINEPREFIX/dosdevices/$l:" ] && ln -s "$1" "$WINEPREFIX/dosdevices/$l:" 2>/dev/null; then
      echo "$l"
      return 0
    fi
  done
  echo "no free drive letter in $WINEPREFIX" >&2
  return 1
}

# For the programs the scripts start by themselves: one that stops on a message box no script
# expects is ended rather than waited for.
wine_run() { timeout 900 wine "$@" </dev/null >/dev/null 2>&1; }
