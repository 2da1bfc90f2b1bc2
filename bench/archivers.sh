#!/usr/bin/env bash
# Our -lh5- against jlha and our ZIP against zip -6 on the same corpus of text,
# binary and already-compressed data (about 21 MB, made here in a temp folder).
# Runs the native driver of the archive core (arccli, optimised, no sanitizers),
# so Wine start-up plays no part. Prints size and time ratios (ours / reference).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}/bench
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOVRA_SANITIZE=OFF >/dev/null
cmake --build "$build" -j2 --target arccli >/dev/null
cli="$build/archivers/arccli"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# Text: C headers and licences; binary: shared libraries; compressed: gzip output and noise.
find /usr/include /usr/share/common-licenses -type f \( -name '*.h' -o -path '*licenses*' \) -print0 | sort -z |
  xargs -0 cat 2>/dev/null | head -c 10000000 > text.txt || true
find /usr/lib -name '*.so*' -type f -size +100k -print0 | sort -z | xargs -0 cat 2>/dev/null | head -c 7000000 > binary.bin || true
{ tail -c 3000000 text.txt | gzip -9; python3 -c "import random,sys; r=random.Random(1); sys.stdout.buffer.write(bytes(r.getrandbits(8) for _ in range(3000000)))"; } |
  head -c 4000000 > packed.gz || true
files="text.txt binary.bin packed.gz"
total=$(cat $files | wc -c)
[ "$total" -ge 20000000 ] || { echo "corpus too small: $total bytes"; exit 1; }

# Best of two runs, in seconds.
best() {
  local b=""
  for _ in 1 2; do
    rm -f "$1"
    local t0 t1; t0=$(date +%s%N); "${@:2}" >/dev/null 2>&1; t1=$(date +%s%N)
    local t=$(( (t1 - t0) / 1000000 ))
    if [ -z "$b" ] || [ "$t" -lt "$b" ]; then b=$t; fi
  done
  echo "$b"
}
ratio() { python3 -c "print(f'{$1/$2:.3f}')"; }

t_ours_lha=$(best ours.lzh "$cli" lha "a ours $files")
t_jlha=$(best ref.lzh jlha a ref.lzh $files)
t_ours_zip=$(best ours.zip "$cli" zip "ours.zip $files")
t_zip=$(best ref.zip zip -q -6 ref.zip $files)
lhasa -t ours.lzh >/dev/null
unzip -tq ours.zip >/dev/null
s_ours_lha=$(stat -c %s ours.lzh); s_jlha=$(stat -c %s ref.lzh)
s_ours_zip=$(stat -c %s ours.zip); s_zip=$(stat -c %s ref.zip)

echo "corpus: $total bytes (text, binary, already compressed); native arccli, no Wine start-up"
printf '%-18s %12s %9s\n' archive bytes ms
printf '%-18s %12s %9s\n' "ours -lh5-" "$s_ours_lha" "$t_ours_lha" "jlha" "$s_jlha" "$t_jlha" \
  "ours ZIP" "$s_ours_zip" "$t_ours_zip" "zip -6" "$s_zip" "$t_zip"
echo "lh5: size ratio $(ratio "$s_ours_lha" "$s_jlha") (goal <= 1.02), time ratio $(ratio "$t_ours_lha" "$t_jlha") (goal <= 0.333)"
echo "zip: size ratio $(ratio "$s_ours_zip" "$s_zip") (goal <= 1.01), time ratio $(ratio "$t_ours_zip" "$t_zip") (goal <= 1.0)"
