#!/usr/bin/env bash
# Whole processes side by side, on drawings of bench/make_drawing.cpp (JWW 6.00,
# Shift-JIS, lines, arcs, points and texts 6:1:1:2) written to a temporary
# folder:
#   info      against  cat of the same file            (each size)
#   convert   against  info of the same file           (each size)
#   render    against  info of the same file           (a PNG at 150 dpi, on every core)
#   dxf 2007  against  ezdxf writing the same entities (bench/ezdxf_same.py)
# Each pair runs in turn (A B A B ...) after one run of each that is not
# counted; every figure is the median of the runs, and a ratio the median of
# the ratios of the pairs. cpu is user + system time of the finished process,
# peak its largest resident set (both from wait4), wall the time from start to
# exit. The output of each process goes to /dev/null (so that cat costs what
# reading the file costs, not the copy into a pipe).
#
# Usage: bench/compare.sh [BUILD_DIR]
#   ZS_COMPARE_SIZES   entity counts of the drawings   (default "100000 1000000 3000000")
#   ZS_COMPARE_RUNS    runs of each command            (default 7)
#   ZS_COMPARE_DXF     entity count of the DXF pair    (default 100000; 0 leaves it out)
#   ZS_COMPARE_DXF_RUNS runs of the DXF pair           (default 3: ezdxf takes seconds)
#   ZS_COMPARE_RENDER  entity count of the render pair (default 1000000; 0 leaves it out)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
cli=$build/src/cli/zumenscope-cli
make=$build/bench/make_drawing
sizes=${ZS_COMPARE_SIZES:-"100000 1000000 3000000"}
runs=${ZS_COMPARE_RUNS:-7}
dxfn=${ZS_COMPARE_DXF:-100000}
dxfruns=${ZS_COMPARE_DXF_RUNS:-3}
rendern=${ZS_COMPARE_RENDER:-1000000}
python=/usr/bin/python3

for f in "$cli" "$make"; do
  [[ -x $f ]] || { echo "compare.sh: $f missing (build with -DZS_BUILD_BENCH=ON)" >&2; exit 2; }
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/zs-compare.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

# pair LABEL FILE RUNS -- A... -- B...: runs A and B in turn and prints the medians.
pair() {
  "$python" - "$@" <<'EOF'
import os, statistics, sys, time

label, size_file, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
rest = sys.argv[4:]
split = rest.index("--", 1)
a, b = rest[1:split], rest[split + 1:]

def measure(cmd):
    t0 = time.monotonic()
    pid = os.fork()
    if pid == 0:
        try:
            os.dup2(os.open(os.devnull, os.O_RDONLY), 0)
            null = os.open(os.devnull, os.O_WRONLY)
            os.dup2(null, 1)
            os.dup2(null, 2)
            os.execv(cmd[0], cmd)
        finally:
            os._exit(127)
    _, status, ru = os.wait4(pid, 0)
    wall = time.monotonic() - t0
    code = os.waitstatus_to_exitcode(status)
    if code != 0:
        sys.exit("compare.sh: %s exited with %d" % (" ".join(cmd), code))
    return {"cpu": ru.ru_utime + ru.ru_stime, "wall": wall, "peak": ru.ru_maxrss / 1024.0}

measure(a)
measure(b)
ra, rb = [], []
for _ in range(runs):
    ra.append(measure(a))
    rb.append(measure(b))
med = lambda rs, k: statistics.median(r[k] for r in rs)
ratio = lambda k: statistics.median(x[k] / y[k] for x, y in zip(ra, rb) if y[k] > 0)
size = os.path.getsize(size_file) / (1 << 20)
# A ratio below 1 (A the faster) is shown as B/A.
def shown(k):
    r = ratio(k)
    return "A/B %s %.2f" % (k, r) if r >= 1 else "B/A %s %.1f" % (k, 1 / r)
print("%-30s A cpu %.3f s, B cpu %.3f s, %s, %s; peak A %.1f MiB (%.2fx the %.1f MiB file), B %.1f MiB"
      % (label, med(ra, "cpu"), med(rb, "cpu"), shown("cpu"), shown("wall"), med(ra, "peak"),
         med(ra, "peak") / size, size, med(rb, "peak")))
EOF
}

for n in $sizes; do
  "$make" "$n" "$tmp/d$n.jww"
done

echo "runs: $runs (DXF pair: $dxfruns); medians; cpu = user + system"
for n in $sizes; do
  f=$tmp/d$n.jww
  pair "info $n / cat" "$f" "$runs" -- "$cli" info "$f" -- /bin/cat "$f"
done
for n in $sizes; do
  f=$tmp/d$n.jww
  pair "convert $n / info" "$f" "$runs" -- "$cli" convert "$f" "$tmp/out.jww" -- "$cli" info "$f"
  rm -f "$tmp/out.jww"
done
if [[ $rendern != 0 ]]; then
  f=$tmp/render$rendern.jww
  "$make" "$rendern" "$f"
  pair "render png $rendern / info" "$f" "$runs" -- "$cli" render "$f" -o "$tmp/out.png" -- "$cli" info "$f"
  rm -f "$tmp/out.png"
fi
if [[ $dxfn != 0 ]]; then
  f=$tmp/dxf$dxfn.jww
  "$make" "$dxfn" "$f"
  pair "dxf 2007 $dxfn / ezdxf" "$f" "$dxfruns" -- "$cli" dxf --release 2007 "$f" -o "$tmp/out.dxf" \
    -- "$python" "$here/ezdxf_same.py" "$dxfn" "$tmp/ezdxf.dxf"
fi
