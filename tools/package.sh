#!/usr/bin/env bash
# Makes the release from the build tree's Windows programs (the binaries the tests run):
#   dist/tovra-<version>.img  a 1,474,560-byte FAT12 floppy image, volume label TOVRA
#   dist/tovra-<version>.zip  the same files, byte for byte
# <version> is the one the About box shows. The read-mes are made from resources/kit: the English
# one in ASCII, the Japanese one converted from UTF-8 to Shift-JIS, both with CRLF line ends.
# TOVRA_DIST_DIR writes elsewhere than dist/. Prints each file's size and the disk's free bytes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
dist=${TOVRA_DIST_DIR:-$root/dist}
bash "$root/tools/build.sh" programs

bin=$build/win32/bin
version=$(sed -n 's/^#define TOVRA_VERSION_LINE "Version \(.*\)"$/\1/p' "$build/win32/generated/version.h")
[ -n "$version" ] || { echo "package: no version in $build/win32/generated/version.h"; exit 1; }
programs=(TOVRA.EXE RUNDELO.EXE UNLHA32.DLL ZIP32J.DLL IZIP32J.DLL UNZIP32.DLL RUZIVA.ROR RORORA.RAV)

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
for f in "${programs[@]}"; do cp -p "$bin/$f" "$stage/$f"; done
# The read-mes: the version filled in, CRLF, the Japanese one in code page 932.
sed "s/@VERSION@/$version/; s/\$/\r/" "$root/resources/kit/README.TXT" > "$stage/README.TXT"
if LC_ALL=C grep -q '[^[:print:][:space:]]' "$stage/README.TXT"; then
  echo "package: README.TXT is not ASCII"; exit 1
fi
sed "s/@VERSION@/$version/" "$root/resources/kit/readme_ja.txt" | iconv -f UTF-8 -t CP932 |
  sed 's/$/\r/' > "$stage/READMEJ.TXT"
touch -r "$root/resources/kit/README.TXT" "$stage/README.TXT"
touch -r "$root/resources/kit/readme_ja.txt" "$stage/READMEJ.TXT"
files=("${programs[@]}" README.TXT READMEJ.TXT)

mkdir -p "$dist"
img=$dist/tovra-$version.img
zip=$dist/tovra-$version.zip
rm -f "$img" "$zip"
(cd "$stage" && zip -q -X "$zip" "${files[@]}")

# A standard 3.5-inch 1.44 MB disk: 2880 sectors of 512 bytes, 18 a track, 2 heads, one sector
# a cluster, 224 root entries, media byte F0. Names stay 8.3 upper case: no long names.
mkfs.fat -C -F 12 -n TOVRA -i 544f5652 -M 0xF0 -S 512 -s 1 -f 2 -r 224 -g 2/18 "$img" 1440 >/dev/null
export MTOOLS_SKIP_CHECK=1 MTOOLS_NO_VFAT=1
status=0
for f in "${files[@]}"; do
  if ! mcopy -i "$img" -m -o "$stage/$f" "::$f" 2>/dev/null; then
    echo "package: $f does not fit on the disk"
    status=1
  fi
done

printf '%-12s %9s\n' FILE BYTES
for f in "${files[@]}"; do printf '%-12s %9d\n' "$f" "$(stat -c %s "$stage/$f")"; done
free=$(mdir -i "$img" :: | sed -n 's/^ *\([0-9 ]*\) bytes free.*/\1/p' | tr -d ' ')
echo "free on the disk: $free bytes"
if [ "$status" -ne 0 ]; then
  rm -f "$img"
  echo "package: the kit does not fit on a 1.44 MB disk; only $zip was made"
  exit 1
fi
echo "made $img and $zip"
