#!/usr/bin/env bash
# The native command against the tools its users reach for, in the same run, on the same disk:
# `tovra divide` (pieces, parity, block checks) against split -b 1440000, and `tovra merge`
# (every block checked) against cat of the same pieces. The command is built for speed in a
# tree of its own (no sanitizers). Each timed run starts after a sync from just-touched memory
# (benchlib.warm_memory); the runs are taken in turn (the command first in every other round);
# prints best, median and spread, the ratios of throughput (tovra / reference), and the most
# memory each command held in a run of its own (through time(1): a process this script starts
# would carry the script's own high-water mark, which warm_memory raises).
# Usage: bench/command_line.sh [megabytes [runs]]   (default 500 and 5)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRA_BUILD_DIR:-$root/build}
mb=${1:-500}
runs=${2:-5}
tree=$build/native-release
cmake -S "$root" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOVRA_SANITIZE=OFF -DTOVRA_FUZZ=OFF >/dev/null
cmake --build "$tree" --target tovra >/dev/null
work=$build/bench-command-line
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

PYTHONPATH="$root/bench" python3 - "$mb" "$tree/cli/tovra" "$work" "$runs" <<'PY'
import os, subprocess, sys, time
from benchlib import line, ratio_line, warm_memory

size, tovra, work = int(sys.argv[1]) * 1000000, sys.argv[2], sys.argv[3]
RUNS = int(sys.argv[4])
source = os.path.join(work, 'bench.bin')
ref, out = os.path.join(work, 'split'), os.path.join(work, 'set')
for d in (ref, out):
    os.makedirs(d)
subprocess.run('head -c %d /dev/urandom > "%s"' % (size, source), shell=True, check=True)


def clear(folder):
    for f in os.listdir(folder):
        os.remove(os.path.join(folder, f))


def timed(args, **kw):
    """Seconds of one run."""
    subprocess.run(['sync'])
    warm_memory()
    t0 = time.perf_counter()
    subprocess.run(args, check=True, **kw)
    return time.perf_counter() - t0


def held(args):
    """The most memory (bytes) one run of args held."""
    r = subprocess.run(['/usr/bin/time', '-f', '%M'] + args, stderr=subprocess.PIPE, check=True)
    return int(r.stderr.split()[-1]) * 1024


def split():
    clear(ref)
    times['split'].append(timed(['split', '-b', '1440000', '-a', '3', source, os.path.join(ref, 'x')]))


def divide():
    clear(out)
    times['divide'].append(timed([tovra, 'divide', '-q', '--to', out, source]))


def cat():
    n = int(open(os.path.join(out, 'file-0'), 'rb').read().split(b';')[2])
    catted = os.path.join(out, 'cat.bin')
    with open(catted, 'wb') as f:
        times['cat'].append(timed(['cat'] + ['file-%d' % k for k in range(1, n + 1)], cwd=out, stdout=f))
    # The data pieces hold the source from its first byte to its last.
    if subprocess.run(['cmp', '-n', str(size), catted, source]).returncode:
        sys.exit('the data pieces differ from the source')
    os.remove(catted)
    return n


def merge():
    merged = os.path.join(out, 'bench.bin')
    times['merge'].append(timed([tovra, 'merge', '-q', '--keep', out]))
    if subprocess.run(['cmp', merged, source]).returncode:
        sys.exit('the merged file differs from the source')
    os.remove(merged)


times = {k: [] for k in ('split', 'divide', 'cat', 'merge')}
for run in range(RUNS):
    if run % 2:
        divide(), split()
        merge(), cat()
    else:
        split(), divide()
        n = cat()
        merge()
others = len(os.listdir(out)) - n - 1
memory = {'divide': held([tovra, 'divide', '-q', '--force', '--to', out, source]),
          'merge': held([tovra, 'merge', '-q', '--keep', out])}

print('%d MB, %d pieces of 1,440,000 bytes and %d more files of the set' %
      (size // 1000000, n, others))
for k in ('split', 'divide', 'cat', 'merge'):
    print(line({'split': 'split -b 1440000', 'divide': 'tovra divide', 'cat': 'cat',
                'merge': 'tovra merge'}[k], times[k], size))
print(ratio_line('tovra divide / split (goal >= 0.8)', times['split'], times['divide']))
print(ratio_line('tovra merge / cat (goal >= 0.8)', times['cat'], times['merge']))
print('most memory held: divide %.1f MB, merge %.1f MB' % (memory['divide'] / 1e6, memory['merge'] / 1e6))
PY
