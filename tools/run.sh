#!/usr/bin/env bash
# Builds the two programs and starts one under Wine, in the build tree's private prefix.
#   tools/run.sh [tovra] [en|ja]  Tovra on a small demo drive that holds the kit's programs,
#                                 archiver libraries and help files, so every button works, in a
#                                 Wine desktop window, with a file selected; a screenshot is saved.
#                                 Without a display it runs on a virtual one and ends after the
#                                 screenshot.
#   tools/run.sh rundelo          a demo piece set is made with split and a hand-written record in
#                                 a temp folder of the build tree, the folder is mapped as a fixed
#                                 drive, Rundelo merges it (on $DISPLAY, or on a virtual display
#                                 when there is none) and cmp tells whether the merged file equals
#                                 the original.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
what=${1:-tovra}
case "$what" in
  tovra|rundelo) ;;
  *) echo "usage: tools/run.sh [tovra [en|ja] | rundelo]"; exit 2 ;;
esac
bash "$root/tools/build.sh" programs
exe=$build/win32/bin/RUNDELO.EXE

source "$root/tools/winenv.sh"

if [ "$what" = tovra ]; then
  lang=${2:-en}
  shot=$build/tovra-screenshot-$lang.png
  trap winenv_stop EXIT
  winenv_start
  if [ -n "$winenv_xvfb_pid" ]; then
    TOVRA_BUILD_DIR=$build python3 "$root/tools/tovra_shot.py" "$shot" "$lang"
    echo "No display here: Tovra ran on a virtual one (display $DISPLAY)."
    echo "Screenshot of the running program: $shot"
  else
    echo "Tovra starts on display $DISPLAY; its Exit button ends it."
    TOVRA_BUILD_DIR=$build python3 "$root/tools/tovra_shot.py" "$shot" "$lang" --keep
    echo "Screenshot taken at start: $shot"
  fi
  exit 0
fi

demo=$(mktemp -d "$build/demo.XXXXXX")
letter=""
cleanup() {
  [ -n "$letter" ] && rm -f "$WINEPREFIX/dosdevices/$letter:"
  winenv_stop
  rm -rf "$demo"
}
trap cleanup EXIT
winenv_start

# A 3.5 MB file in three floppy-sized pieces, recorded with its own time, as the divider would.
mkdir "$demo/set"
head -c 3500000 /dev/urandom > "$demo/DEMO.BIN"
touch -d '1999-03-07 14:05:09' "$demo/DEMO.BIN"
split -b 1440000 -a 1 --numeric-suffixes=1 "$demo/DEMO.BIN" "$demo/set/file-"
printf 'DEMO.BIN;3500000;3;%s;\n' "$(date -r "$demo/DEMO.BIN" '+%-S;%-M;%-H;%-d;%-m;%Y')" \
  > "$demo/set/file-0"
cp "$exe" "$demo/set/RUNDELO.EXE"
for l in m n o p q r s t u v w; do
  if [ ! -e "$WINEPREFIX/dosdevices/$l:" ]; then letter=$l; break; fi
done
[ -n "$letter" ] || { echo "no free drive letter in $WINEPREFIX"; exit 1; }
ln -s "$demo/set" "$WINEPREFIX/dosdevices/$letter:"

echo "piece set on ${letter^^}: $(cd "$demo/set" && echo file-*), record: $(cat "$demo/set/file-0")"
echo "starting ${letter^^}:\\RUNDELO.EXE on display $DISPLAY"
status=0
(cd "$demo/set" && wine "$letter:\\RUNDELO.EXE") || status=$?
echo "Rundelo ended with code $status"
if [ -f "$demo/set/DEMO.BIN" ] && cmp "$demo/set/DEMO.BIN" "$demo/DEMO.BIN"; then
  echo "cmp: the merged DEMO.BIN equals the original, byte for byte"
  echo "times: original $(date -r "$demo/DEMO.BIN" '+%F %T'), merged $(date -r "$demo/set/DEMO.BIN" '+%F %T')"
else
  echo "cmp: no merged file equal to the original"
  exit 1
fi
