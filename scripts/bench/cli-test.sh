#!/usr/bin/env bash
# Compares `kelvara-cli test ARCHIVE` with `unzip -tq ARCHIVE` (Info-ZIP): both decode every
# entry of the same archive and check its CRC-32 without writing anything. The archive is a
# generated tree of text files (about 4,000 files, 100 MB) zipped with Deflate by zip (or by
# Python's zipfile when zip is missing). Prints two rows of median CPU times (user + sys): against
# the peer, and against our own extraction of the archive.
#   scripts/bench/cli-test.sh BUILD_DIR WORK_DIR      (BENCH_RUNS runs per side, default 5)
set -euo pipefail
build="${1:?usage: cli-test.sh BUILD_DIR WORK_DIR}"
work="${2:?usage: cli-test.sh BUILD_DIR WORK_DIR}"
cli="$build/kelvara-cli"
[ -x "$cli" ] || { echo "cli-test.sh: missing $cli" >&2; exit 1; }
mkdir -p "$work"
archive="$work/text-tree.zip"
target="<= 0.80"

# The tree: lines drawn from a fixed pool of markup-, script- and prose-like lines, so files
# compress like ordinary text; the same seed gives the same archive every time.
if [ ! -f "$archive" ] || [ ! -d "$work/tree" ]; then
  rm -rf "$work/tree"
  python3 - "$work/tree" <<'PY'
import os, random, sys
root = sys.argv[1]
rng = random.Random(20261208)
words = ("<div> </div> <span> class= id= function var let const return if else for while "
         "width height color margin padding { } ( ) ; = + - * / the of and to in is that widget "
         "config value name item list data index length true false null this new object array "
         "string number 0 1 2 10 100 px em % # . , : // /* */").split()
pool = []
for _ in range(4000):
    indent = "  " * rng.randrange(0, 5)
    pool.append(indent + " ".join(rng.choice(words) for _ in range(rng.randrange(2, 16))) + "\n")
files = 4000
for i in range(files):
    folder = os.path.join(root, "d%02d" % (i % 40), "s%d" % (i % 7))
    os.makedirs(folder, exist_ok=True)
    size = rng.randrange(2 * 1024, 48 * 1024)
    lines, n = [], 0
    while n < size:
        line = rng.choice(pool)
        lines.append(line)
        n += len(line)
    ext = ("html", "js", "css", "xml", "txt")[i % 5]
    with open(os.path.join(folder, "f%04d.%s" % (i, ext)), "w") as f:
        f.write("".join(lines))
PY
  if command -v zip >/dev/null; then
    (cd "$work/tree" && zip -q -r -6 "$archive.part" .)
  else
    python3 - "$work/tree" "$archive.part" <<'PY'
import os, sys, zipfile
root, out = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED, compresslevel=6) as z:
    for folder, dirs, names in os.walk(root):
        dirs.sort()
        for name in sorted(names):
            path = os.path.join(folder, name)
            z.write(path, os.path.relpath(path, root))
PY
  fi
  mv "$archive.part" "$archive"
fi
files=$(find "$work/tree" -type f | wc -l)
bytes=$(find "$work/tree" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
what=$(awk -v f="$files" -v b="$bytes" 'BEGIN {
  printf "Integrity test of every entry, %d MB text tree, %d,%03d files, Deflate (CPU time)",
         b / 1e6 + 0.5, f / 1000, f % 1000 }')

. "$(dirname "$0")/lib.sh"
# CPU seconds (user + sys) of one run, which must succeed.
cpu() { timed /dev/null "$@" | awk '{ print $2 }'; }

# Beside the peer, our own extraction of the same archive: the test must cost no more than
# extracting without the writing, so at most what extracting costs. The extraction goes to a
# tmpfs when there is one, where writing is cheapest (a stricter yardstick) and removing the
# output leaves no recently freed inodes to slow the next file system benchmark.
out="$work/out"
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  out=$(mktemp -d /dev/shm/kelvara-cli-test.XXXXXX)
  trap 'rm -rf "$out"' EXIT
fi
have_peer=1
have unzip || { have_peer=0; echo "cli-test.sh: unzip not found" >&2; }
: >"$work/ours" && : >"$work/theirs" && : >"$work/extract"
for ((i = 0; i < runs; ++i)); do
  cpu "$cli" test "$archive" >>"$work/ours"
  [ "$have_peer" = 0 ] || cpu unzip -tq "$archive" >>"$work/theirs"
  rm -rf "${out:?}"/*
  cpu "$cli" unzip -o "$out" "$archive" >>"$work/extract"
done
rm -rf "${out:?}"/*
ours=$(median <"$work/ours")
extract=$(median <"$work/extract")
if [ "$have_peer" = 1 ]; then
  theirs=$(median <"$work/theirs")
  row "$what" "$(printf '%.2f s' "$ours")" "unzip -tq" "$(printf '%.2f s' "$theirs")" \
    "$(ratio "$ours" "$theirs")" "$target"
else
  row "$what" "$(printf '%.2f s' "$ours")" "unzip -tq" "-" "-" "$target"
fi
row "$what" "$(printf '%.2f s' "$ours")" "kelvara-cli unzip (extraction to tmpfs)" \
  "$(printf '%.2f s' "$extract")" "$(ratio "$ours" "$extract")" "<= 1.00"
