#!/usr/bin/env bash
# Whole-archive extraction: kelvara-cli unzip against bsdtar (Deflate), 7-Zip (Deflate64) and
# Info-ZIP unzip (Deflate), on a ~200 MB tree of ~13,000 text files that Debian installs.
#   scripts/bench/extract.sh BUILD_DIR WORK_DIR        (env BENCH_RUNS: runs per side, default 5)
# Prints one table row per comparison (work, ours, peer, peer's figure, ratio, target), tab
# separated; figures are medians of wall time, with the median CPU time (user + sys) after it.
# Every run extracts into a fresh, empty folder inside WORK_DIR, made outside the timing.
# Archives already in WORK_DIR from an earlier run of this script are reused.
#
# The output folders are all removed at the end, not one before each run: on ext4 without a
# journal, a file created within minutes of a removal in the same block group makes the kernel
# step over every inode freed by the removal, which cost every tool about 0.5 ms per file
# (over 10 s for this tree, some 90% of each run) and hid the tools' own differences. When
# WORK_DIR has too little space to keep every output, each run's output is removed before the
# next one (said on stderr).
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 BUILD_DIR WORK_DIR" >&2; exit 2; }
build="$1"
work="$(cd "$2" && pwd)"
runs="${BENCH_RUNS:-5}"
cli="$build/kelvara-cli"
[ -x "$cli" ] || { echo "missing $cli: build kelvara-cli first" >&2; exit 1; }
cli="$(cd "$(dirname "$cli")" && pwd)/kelvara-cli"

tree="$work/tree"
list="$work/tree-files.txt"
deflate="$work/tree-deflate.zip"
deflate64="$work/tree-deflate64.zip"
limit=$((200 * 1000 * 1000))

# The tree: text files (no NUL byte in them) of 1 KiB to 512 KiB under /usr/include and
# /usr/share with plain ASCII paths, every second one in byte order of path, until 200 MB.
make_tree() {
  echo "extract.sh: collecting the input tree" >&2
  rm -rf "$tree" && mkdir -p "$tree"
  { find /usr/include /usr/share -type f -size +1023c -size -524289c -not -name '*.gz' \
    -printf '%s %p\n' 2>/dev/null || true; } |
    LC_ALL=C grep -E '^[0-9]+ [A-Za-z0-9._+/-]+$' | LC_ALL=C sort -k2,2 -u >"$work/candidates"
  cut -d' ' -f2 "$work/candidates" | xargs -d '\n' grep -Il '' 2>/dev/null |
    LC_ALL=C sort >"$work/text-files" || true
  LC_ALL=C join -1 2 -2 1 -o 1.1,1.2 "$work/candidates" "$work/text-files" |
    awk -v limit="$limit" 'NR % 2 == 1 && sum < limit { sum += $1; print substr($2, 2) }' \
      >"$list"
  tar -C / -cf - -T "$list" | tar -C "$tree" -xf -
  rm -f "$work/candidates" "$work/text-files"
}

if [ ! -s "$deflate" ] || [ ! -s "$list" ]; then
  make_tree
  rm -f "$deflate" "$deflate64"
  echo "extract.sh: writing the Deflate archive" >&2
  (cd "$tree" && zip -r -q -X "$deflate" usr)
fi
if [ ! -s "$deflate64" ] && command -v 7zz >/dev/null; then
  echo "extract.sh: writing the Deflate64 archive" >&2
  (cd "$tree" && 7zz a -tzip -mm=Deflate64 -bd -bso0 -bsp0 "$deflate64" usr >&2)
fi
files=$(wc -l <"$list")
megabytes=$(unzip -Zt "$deflate" | awk '{ printf "%d", $3 / 1e6 + 0.5 }')
# Thousands separated by commas whatever the locale: 13259 -> 13,259.
files_text=$(sed -E ':a; s/([0-9])([0-9]{3})($|,)/\1,\2\3/; ta' <<<"$files")

runs_dir="$work/runs"
rm -rf "$runs_dir" && mkdir "$runs_dir"
# Every output is kept until the end when (rows x (runs + 1) x 2 sides) trees fit, with 10%
# to spare; else the previous output is removed before each run.
tree_kib=$(du -sk "$tree" 2>/dev/null | cut -f1)
[ -n "$tree_kib" ] || tree_kib=$((300 * 1024))
free_kib=$(df -Pk "$work" | awk 'NR == 2 { print $4 }')
keep_outputs=1
if [ $((3 * (runs + 1) * 2 * tree_kib * 11 / 10)) -gt "$free_kib" ]; then
  keep_outputs=0
  echo "extract.sh: too little space to keep every output: each is removed before the next" \
    "run, which makes file creation slower for every tool" >&2
fi
out=""
outputs=0
# Makes the next empty output folder and sets $out to it.
next_out() {
  [ "$keep_outputs" = 1 ] || [ -z "$out" ] || rm -rf "$out"
  outputs=$((outputs + 1))
  out="$runs_dir/$outputs"
  mkdir "$out"
}

# Wall, user and system seconds of one command; @DIR@ in its arguments stands for $out.
timed() {
  local args=() arg
  for arg in "$@"; do
    args+=("${arg//@DIR@/$out}")
  done
  local TIMEFORMAT='%R %U %S' times
  times=$( { time "${args[@]}" >/dev/null 2>"$work/last-stderr"; } 2>&1 ) ||
    { echo "extract.sh: failed: ${args[*]} ($(head -c 300 "$work/last-stderr"))" >&2; }
  echo "$times"
}

median() {
  sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2];
                                      else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# figure WALL_FILE CPU_FILE: "1.23 s (CPU 1.10 s)"
figure() {
  printf '%.2f s (CPU %.2f s)' "$(median <"$1")" "$(median <"$2")"
}

# run_side WALL_FILE CPU_FILE COMMAND...: one timed run into a fresh folder, figures appended.
run_side() {
  local wall_file="$1" cpu_file="$2" w u s
  shift 2
  next_out
  read -r w u s < <(timed "$@")
  echo "$w" >>"$wall_file"
  awk -v u="$u" -v s="$s" 'BEGIN { print u + s }' >>"$cpu_file"
}

# row WORK ARCHIVE PEER_NAME TARGET PEER_COMMAND... (@DIR@ and @ARCHIVE@ in the peer command
# stand for the output folder and the archive)
row() {
  local label="$1" archive="$2" peer="$3" target="$4"
  shift 4
  local ours=(env QT_QPA_PLATFORM=offscreen "$cli" unzip -o @DIR@ "$archive")
  local tool="$1" filled=() arg
  for arg in "$@"; do
    filled+=("${arg//@ARCHIVE@/$archive}")
  done
  : >"$work/ow" && : >"$work/oc" && : >"$work/pw" && : >"$work/pc"
  if ! command -v "$tool" >/dev/null || [ ! -s "$archive" ]; then
    echo "extract.sh: $tool or $archive missing: no comparison" >&2
    for ((i = 0; i < runs; ++i)); do
      run_side "$work/ow" "$work/oc" "${ours[@]}"
    done
    printf '%s\t%s\t%s\t-\t-\t%s\n' "$label" "$(figure "$work/ow" "$work/oc")" "$peer" "$target"
    return
  fi
  # One untimed run of each side warms the caches and checks that both give the same tree.
  local check_keep="$keep_outputs"
  keep_outputs=1
  next_out
  timed "${ours[@]}" >/dev/null
  local ours_out="$out"
  next_out
  timed "${filled[@]}" >/dev/null
  if ! diff -r "$ours_out" "$out" >"$work/diff" 2>&1; then
    echo "extract.sh: outputs differ from $peer ($(wc -l <"$work/diff") lines of diff -r):" >&2
    head -5 "$work/diff" >&2
    label="$label (outputs differ)"
  fi
  keep_outputs="$check_keep"
  [ "$keep_outputs" = 1 ] || rm -rf "$ours_out"
  for ((i = 0; i < runs; ++i)); do
    run_side "$work/ow" "$work/oc" "${ours[@]}"
    run_side "$work/pw" "$work/pc" "${filled[@]}"
  done
  local ratio
  ratio=$(awk -v a="$(median <"$work/ow")" -v b="$(median <"$work/pw")" \
    'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }')
  printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$label" "$(figure "$work/ow" "$work/oc")" "$peer" \
    "$(figure "$work/pw" "$work/pc")" "$ratio" "$target"
}

work_text="Whole extraction, $megabytes MB text tree, $files_text files"
row "$work_text, Deflate" "$deflate" "bsdtar -xf" "<= 0.80" \
  bsdtar -xf @ARCHIVE@ -C @DIR@
row "$work_text, Deflate64" "$deflate64" "7zz x" "<= 0.70" \
  7zz x -y -bd -bso0 -bsp0 -o@DIR@ @ARCHIVE@
row "$work_text, Deflate" "$deflate" "unzip -q -o" "-" \
  unzip -q -o @ARCHIVE@ -d @DIR@
rm -rf "$runs_dir" "$work"/ow "$work"/oc "$work"/pw "$work"/pc "$work/diff" "$work/last-stderr"
