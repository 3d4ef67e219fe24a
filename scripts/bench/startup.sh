#!/usr/bin/env bash
# Start-up of the main window under Xvfb: the time from starting `kelvara` until its window has
# been painted for the first time (KELVARA_EXIT_WHEN_SHOWN=1 ends the program right then), and
# its peak resident memory, with 2,000 generated packages in the collection and with none.
#   scripts/bench/startup.sh BUILD_DIR WORK_DIR        (BENCH_RUNS runs, default 5)
# The home folder is a temporary one inside WORK_DIR; the two collections run in alternation.
# STARTUP_LANG sets the program's locale (default C.UTF-8; e.g. ru_RU.UTF-8 for its collation).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/lib.sh"
build="$1" work="$(cd "$2" && pwd)"
app="$build/kelvara"
[[ "$app" = /* ]] || app="$PWD/$app"
count=2000
full_text="Start-up until the main window is shown, 2,000 packages (wall; peak resident memory)"
empty_text="Start-up until the main window is shown, empty collection (wall; peak resident memory)"
target="<= 0.40 s"

python=$(python3_path)
if ! have xvfb-run || [ -z "$python" ] || [ ! -x /usr/bin/time ]; then
  echo "startup.sh: needs xvfb-run, python3 and /usr/bin/time" >&2
  row "$full_text" "-" "-" "-" "-" "$target"
  exit 0
fi

# Two homes: one whose documents folder holds the generated collection, one without any.
full_home="$work/full-home" empty_home="$work/empty-home"
collection="$full_home/Documents/My Widgets"
if [ ! -d "$collection" ]; then
  echo "startup.sh: writing $count packages to $collection" >&2
  "$python" "$here/make-collection.py" "$collection" --count "$count"
fi
mkdir -p "$empty_home/Documents/My Widgets" "$work/runtime-full" "$work/runtime-empty"
chmod 700 "$work/runtime-full" "$work/runtime-empty"

# One run: "seconds kilobytes" of kelvara started in the given home.
cat >"$work/run-once.sh" <<'EOF'
#!/usr/bin/env bash
home="$1" runtime="$2" app="$3" out="$4"
env -i PATH="$PATH" DISPLAY="$DISPLAY" XAUTHORITY="${XAUTHORITY:-}" HOME="$home" XDG_CONFIG_HOME="$home/.config" \
  XDG_RUNTIME_DIR="$runtime" LANG="${STARTUP_LANG:-C.UTF-8}" QT_QPA_PLATFORM=xcb KELVARA_EXIT_WHEN_SHOWN=1 \
  /usr/bin/time -f '%e %M' -o "$out" "$app" >/dev/null 2>&1
EOF
chmod +x "$work/run-once.sh"

cat >"$work/all-runs.sh" <<EOF
#!/usr/bin/env bash
set -e
# One run each first, unmeasured: fonts, icons and the packages come into the caches.
"$work/run-once.sh" "$full_home" "$work/runtime-full" "$app" "$work/warm"
"$work/run-once.sh" "$empty_home" "$work/runtime-empty" "$app" "$work/warm"
: >"$work/full" && : >"$work/empty"
for ((i = 0; i < $runs; ++i)); do
  "$work/run-once.sh" "$full_home" "$work/runtime-full" "$app" "$work/one" && cat "$work/one" >>"$work/full"
  "$work/run-once.sh" "$empty_home" "$work/runtime-empty" "$app" "$work/one" && cat "$work/one" >>"$work/empty"
done
EOF
chmod +x "$work/all-runs.sh"
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$work/all-runs.sh"

if [ "$(wc -l <"$work/full")" -ne "$runs" ] || [ "$(wc -l <"$work/empty")" -ne "$runs" ]; then
  echo "startup.sh: some runs failed" >&2
  exit 1
fi
for side in full empty; do
  seconds=$(awk '{ print $1 }' "$work/$side" | median)
  megabytes=$(awk '{ print $2 / 1024 }' "$work/$side" | median)
  echo "startup.sh: $side: $seconds s, $megabytes MB" >&2
  text=$full_text
  [ "$side" = full ] || text=$empty_text
  row "$text" "$(printf '%.2f s (%.0f MB)' "$seconds" "$megabytes")" "-" "-" "-" "$target"
done
