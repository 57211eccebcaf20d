#!/usr/bin/env bash
# The library's benchmarks on Linux and, for the Windows build, under Wine;
# with --against, another revision's library measured by the same benchmark
# code in the same run, and a table of the medians and their ratios.
#   scripts/bench.sh [--against REV] [--repetitions N] [--min-time SECONDS]
#                    [--filter REGEX]
# Each benchmark runs pinned to one CPU where taskset is there. Google
# Benchmark for the Windows build is built from Debian's source package
# (fetched once into build/bench/, with a private apt sources list; the
# system's own lists are not touched). Results: build/bench/*.csv.
set -euo pipefail
cd "$(dirname "$0")/.."
against="" reps=5 min_time=1 filter="BM_"
while [ $# -gt 0 ]; do
  case "$1" in
    --against) against="$2"; shift 2 ;;
    --repetitions) reps="$2"; shift 2 ;;
    --min-time) min_time="$2"; shift 2 ;;
    --filter) filter="$2"; shift 2 ;;
    -h|--help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "bench.sh: unknown argument $1 (see --help)" >&2; exit 2 ;;
  esac
done
./scripts/bootstrap.sh >/dev/null
out="$PWD/build/bench"
mkdir -p "$out"

# Google Benchmark's source, the version Debian builds libbenchmark-dev from.
source_dir="$out/google-benchmark"
if [ ! -f "$source_dir/CMakeLists.txt" ]; then
  apt_dir="$out/apt"
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
  codename="$(. /etc/os-release && echo "$VERSION_CODENAME")"
  echo "deb-src http://deb.debian.org/debian $codename main" >"$apt_dir/sources.list"
  apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o Dir::Etc::SourceParts=-
            -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache")
  apt-get -q "${apt_opts[@]}" update >/dev/null
  (cd "$apt_dir" && apt-get -q "${apt_opts[@]}" source --download-only benchmark >/dev/null 2>&1)
  rm -rf "$source_dir"
  dpkg-source --no-check -x "$apt_dir"/benchmark_*.dsc "$source_dir" >/dev/null
fi

# The trees to measure: REV (exported from git) and the working tree.
trees=()
if [ -n "$against" ]; then
  rev_dir="$out/tree-$(git rev-parse --short "$against")"
  if [ ! -d "$rev_dir" ]; then
    mkdir -p "$rev_dir"
    git archive "$against" library platform | tar -x -C "$rev_dir"
  fi
  trees+=("$(git rev-parse --short "$against"):$rev_dir")
fi
trees+=("current:$PWD")

pin=()
if command -v taskset >/dev/null; then pin=(taskset -c "$(($(nproc) - 1))"); fi
args=(--benchmark_filter="$filter" --benchmark_repetitions="$reps"
      --benchmark_min_time="$min_time" --benchmark_report_aggregates_only=true)

for entry in "${trees[@]}"; do
  name="${entry%%:*}" tree="${entry#*:}"
  for system in linux windows; do
    build="$out/$name-$system"
    config=(-S bench/standalone -B "$build" -G Ninja -DZOLT_TREE="$tree")
    if [ "$system" = windows ]; then
      config+=(-DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-i686-mingw.cmake"
               -DZOLT_BENCHMARK_SOURCE="$source_dir")
    fi
    echo "=== $name, $system: build" >&2
    cmake "${config[@]}" >/dev/null
    cmake --build "$build" --target zolt_bench -- -j2 >/dev/null
    echo "=== $name, $system: run" >&2
    if [ "$system" = windows ]; then
      "${pin[@]}" scripts/wine-run.sh "$build/bench/zolt_bench.exe" "${args[@]}" \
        --benchmark_out="Z:$(echo "$out/$name-$system.csv" | tr / '\\')" \
        --benchmark_out_format=csv >/dev/null
    else
      "${pin[@]}" "$build/bench/zolt_bench" "${args[@]}" \
        --benchmark_out="$out/$name-$system.csv" --benchmark_out_format=csv >/dev/null
    fi
  done
done

# The medians (real time, microseconds), one row per benchmark and system;
# with a single repetition, the one result.
median() {  # file benchmark -> real time of its median
  awk -F, -v m="\"$2_median\"" -v one="\"$2\"" '
    $1 == m { med = $3 } $1 == one { single = $3 }
    END { printf "%.1f", med != "" ? med : single }' "$1"
}
names=$(awk -F, '$1 ~ /^"BM_/ { gsub(/"/, "", $1); sub(/_(median|mean|stddev|cv)$/, "", $1); print $1 }' \
  "$out/current-linux.csv" | uniq)
if [ -n "$against" ]; then
  old="${trees[0]%%:*}"
  echo "| benchmark | system | $old (us) | current (us) | speed-up |"
  echo "|---|---|---|---|---|"
else
  echo "| benchmark | system | median (us) |"
  echo "|---|---|---|"
fi
for n in $names; do
  for system in linux windows; do
    now=$(median "$out/current-$system.csv" "$n")
    if [ -n "$against" ]; then
      was=$(median "$out/$old-$system.csv" "$n")
      ratio=$(awk -v a="$was" -v b="$now" 'BEGIN { if (b > 0 && a > 0) printf "%.1fx", a / b; else print "-" }')
      echo "| $n | $system | $was | $now | $ratio |"
    else
      echo "| $n | $system | $now |"
    fi
  done
done
