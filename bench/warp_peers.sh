#!/usr/bin/env bash
# The warp workloads (c), (d), (e) beside both peers in one session: ours and OpenCV's
# warpPerspective through ferrule_bench, then FFmpeg's single-threaded perspective +
# overlay graphs (w2, w3) through its peer script, which needs hyperfine.
# Usage: bench/warp_peers.sh [build dir] (default build/native, after `make native`)
#   PEER=path/to/ffmpeg_peer.sh (default ../shared/bench/ffmpeg_peer.sh beside the checkout)
#   FRAMES=60 OUT=/tmp/ferrule-warp-peers
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build/native}"
PEER="${PEER:-$ROOT/../shared/bench/ffmpeg_peer.sh}"
OUT="${OUT:-/tmp/ferrule-warp-peers}"
mkdir -p "$OUT"

"$BUILD/ferrule_bench" --benchmark_filter='BM_Compose/[234]$|BM_OpenCvWarp' --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_format=json > "$OUT/ours_opencv.json"
ONLY="w2 w3" FRAMES="${FRAMES:-60}" RUNS=3 RUNS_HEAVY=2 SKIP_MEMBW=1 OUT="$OUT/ffmpeg" bash "$PEER" > "$OUT/ffmpeg.log"

python3 - "$OUT" <<'EOF'
import json, sys
out = sys.argv[1]
ms = {}
for b in json.load(open(f"{out}/ours_opencv.json"))["benchmarks"]:
    if b.get("aggregate_name") == "median":
        ms[b["run_name"]] = b["real_time"] * {"ms": 1, "us": 1e-3, "ns": 1e-6}[b["time_unit"]]
ff = {}
for line in open(f"{out}/ffmpeg/summary.md"):
    cells = [c.strip() for c in line.split("|")]
    if len(cells) > 6 and cells[2] == "st":
        ff[cells[1].split("_")[0]] = float(cells[6])
print("| workload | ours ms | OpenCV ms | ours / OpenCV | FFmpeg st ms | ours / FFmpeg st |")
print("|---|---|---|---|---|---|")
for k, name, peer in ((2, "(c) warp, nearest", None), (3, "(d) warp, bilinear", "w2"), (4, "(e) four warps, bilinear", "w3")):
    o, c = ms[f"BM_Compose/{k}"], ms[f"BM_OpenCvWarp/{k}"]
    f = ff.get(peer) if peer else None
    fcols = f"| {f:.1f} | 1 / {f / o:.1f} |" if f else "| | |"
    print(f"| {name} | {o:.2f} | {c:.2f} | {o / c:.2f} {fcols}")
EOF
