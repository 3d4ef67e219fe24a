# Shared by the comparison scripts in scripts/bench/: timing, medians and the row format.
# Each script is run as `scripts/bench/NAME.sh BUILD_DIR WORK_DIR` and prints its table rows:
#   work <TAB> Kelvara's figure <TAB> peer <TAB> peer's figure <TAB> ratio <TAB> target
# BENCH_RUNS sets the runs per side (default 5); the two sides run in alternation.

runs="${BENCH_RUNS:-5}"

# Wall and CPU (user + sys) seconds of one run, as "wall cpu"; the command's output goes to $1.
timed() {
  local out="$1" TIMEFORMAT='%R %U %S' times
  shift
  times=$( { time "$@" >"$out" 2>/dev/null; } 2>&1 ) || { echo "failed: $*" >&2; return 1; }
  awk '{ printf "%.4f %.4f\n", $1, $2 + $3 }' <<<"$times"
}

# Median of the numbers on standard input (one per line).
median() {
  sort -g | awk '{ v[NR] = $1 } END {
    if (NR == 0) exit 1
    if (NR % 2) printf "%.4f\n", v[(NR + 1) / 2]; else printf "%.4f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# ratio A B: A / B with two decimals.
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f\n", a / b }'; }

# row WORK OURS PEER THEIRS RATIO TARGET
row() { printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$@"; }

have() { command -v "$1" >/dev/null 2>&1; }

# Debian's Python interpreter rather than a wrapper in front of another one (so a Python peer
# pays no extra start-up), else the first on PATH; empty when there is none.
python3_path() {
  local candidate
  for candidate in /usr/bin/python3 "$(command -v python3 || true)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then
      echo "$candidate"
      return
    fi
  done
}
