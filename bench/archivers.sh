#!/usr/bin/env bash
# Our -lh5- against jlha and our ZIP against zip -6 on the same corpus of text,
# binary and already-compressed data (about 21 MB, made here in a temp folder).
# Runs the native driver of the archive core (arccli, optimised, no sanitizers; or the one
# named by ARCCLI), so Wine start-up plays no part. Every archive is unpacked by lhasa or unzip
# and compared with the corpus by cmp. Prints size and time ratios (ours / reference).
# Usage: bench/archivers.sh [megabytes]   (default 21)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mb=${1:-21}
cli=${ARCCLI:-}
if [ -z "$cli" ]; then
  build=${TOVRA_BUILD_DIR:-$root/build}/bench
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOVRA_SANITIZE=OFF >/dev/null
  cmake --build "$build" -j2 --target arccli >/dev/null
  cli="$build/archivers/arccli"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# Text: C headers and licences; binary: shared libraries; compressed: gzip output and noise;
# 10, 7 and 4 parts in 21 of the corpus.
text=$((mb * 10000000 / 21)) binary=$((mb * 7000000 / 21)) packed=$((mb * 4000000 / 21))
find /usr/include /usr/share/common-licenses -type f \( -name '*.h' -o -path '*licenses*' \) -print0 | sort -z |
  xargs -0 cat 2>/dev/null | head -c "$text" > text.txt || true
find /usr/lib -name '*.so*' -type f -size +100k -print0 | sort -z | xargs -0 cat 2>/dev/null | head -c "$binary" > binary.bin || true
{ tail -c $((packed * 3 / 4)) text.txt | gzip -9; python3 -c "import random,sys; r=random.Random(1); sys.stdout.buffer.write(bytes(r.getrandbits(8) for _ in range($((packed * 3 / 4)))))"; } |
  head -c "$packed" > packed.gz || true
files="text.txt binary.bin packed.gz"
total=$(cat $files | wc -c)
[ "$total" -ge $((mb * 950000)) ] || { echo "corpus too small: $total bytes"; exit 1; }

# Best of two runs: wall-clock and CPU (user + system) milliseconds. The machine
# is shared, so CPU time is the steadier of the two.
best() {
  python3 - "$@" <<'PY'
import os, resource, subprocess, sys, time
out, cmd = sys.argv[1], sys.argv[2:]
wall = cpu = None
for _ in range(2):
    if os.path.exists(out):
        os.remove(out)
    r0 = resource.getrusage(resource.RUSAGE_CHILDREN)
    t0 = time.perf_counter()
    subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    t1 = time.perf_counter()
    r1 = resource.getrusage(resource.RUSAGE_CHILDREN)
    w = (t1 - t0) * 1000
    c = (r1.ru_utime - r0.ru_utime + r1.ru_stime - r0.ru_stime) * 1000
    wall = w if wall is None else min(wall, w)
    cpu = c if cpu is None else min(cpu, c)
print(f"{wall:.0f} {cpu:.0f}")
PY
}
ratio() { python3 -c "print(f'{$1/$2:.3f}')"; }

read -r w_ours_lha c_ours_lha < <(best ours.lzh "$cli" lha "a ours $files")
read -r w_jlha c_jlha < <(best ref.lzh jlha a ref.lzh $files)
read -r w_ours_zip c_ours_zip < <(best ours.zip "$cli" zip "ours.zip $files")
read -r w_zip c_zip < <(best ref.zip zip -q -6 ref.zip $files)
# unpack archive tool: unpacks the archive into a folder of its own and compares every file.
unpack() {
  mkdir "out-$1"
  case $2 in
    lhasa) (cd "out-$1" && lhasa -xq "../$1") ;;
    unzip) unzip -q "$1" -d "out-$1" ;;
  esac
  for f in $files; do cmp "$f" "out-$1/$f"; done
}
unpack ours.lzh lhasa
unpack ref.lzh lhasa
unpack ours.zip unzip
unpack ref.zip unzip
s_ours_lha=$(stat -c %s ours.lzh); s_jlha=$(stat -c %s ref.lzh)
s_ours_zip=$(stat -c %s ours.zip); s_zip=$(stat -c %s ref.zip)

echo "corpus: $total bytes (text, binary, already compressed); native arccli, no Wine start-up"
printf '%-12s %10s %9s %9s\n' archive bytes wall-ms cpu-ms
printf '%-12s %10s %9s %9s\n' "ours -lh5-" "$s_ours_lha" "$w_ours_lha" "$c_ours_lha" "jlha" "$s_jlha" "$w_jlha" "$c_jlha" \
  "ours ZIP" "$s_ours_zip" "$w_ours_zip" "$c_ours_zip" "zip -6" "$s_zip" "$w_zip" "$c_zip"
echo "lh5: size $(ratio "$s_ours_lha" "$s_jlha") (goal <= 1.02); time wall $(ratio "$w_ours_lha" "$w_jlha"), cpu $(ratio "$c_ours_lha" "$c_jlha") (goal <= 0.333)"
echo "zip: size $(ratio "$s_ours_zip" "$s_zip") (goal <= 1.01); time wall $(ratio "$w_ours_zip" "$w_zip"), cpu $(ratio "$c_ours_zip" "$c_zip") (goal <= 1.0)"
