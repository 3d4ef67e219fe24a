#!/usr/bin/env python3
"""Throughput of `kelvara-cli tokens --count` (load + scan) per language.

Assembles about --size MB of text per language from files the system installs under /usr/share
and /usr/lib (never downloaded): *.xml, *.html/*.htm, *.css, *.js, valid UTF-8 only, each content
once, in path order, concatenated; a language with fewer installed bytes than that goes round its
files again until the size is reached. Then times the command on each input and prints MB/s
(input bytes / wall seconds and / CPU seconds, user+sys of the process), the median of --runs
runs.

    scripts/bench/tokens.py [--cli build/kelvara-cli] [--baseline OLD-CLI] [--check] [--rows]
                            [--runs 7] [--size 20] [--langs xml,html,css,js] [--dir DIR]

--baseline times a second build too, alternating old and new runs, and prints both medians.
--check compares the full token listings (`tokens LANG FILE`) of --cli and --baseline on every
input and fails when they differ. --rows prints the benchmark table's rows instead
(scripts/run-benchmarks.sh): MB/s of CPU time per language against the 150 MB/s target.

Few packages ship style sheets; `apt-get install libjs-bootstrap4 libjs-bootstrap5
libjs-jquery-ui fonts-font-awesome libjs-dojo-core libjs-material-design-lite libjs-spectre
sphinx-rtd-theme-common` adds some CSS and JavaScript (the script works without them, with more
repetition).
"""

import argparse
import hashlib
import os
import resource
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCES = ["/usr/share", "/usr/lib"]
NAMES = {"xml": "XML", "html": "HTML", "css": "CSS", "js": "JavaScript"}
SUFFIXES = {
    "xml": (".xml",),
    "html": (".html", ".htm"),
    "css": (".css",),
    "js": (".js",),
}


def installed_files(suffixes):
    found = []
    for top in SOURCES:
        for folder, dirs, files in os.walk(top):
            dirs.sort()
            for name in sorted(files):
                if name.lower().endswith(suffixes):
                    path = os.path.join(folder, name)
                    if os.path.isfile(path) and not os.path.islink(path):
                        found.append(path)
    return found


def assemble(lang, target_bytes, path):
    """Writes the language's input to `path`; returns (bytes, distinct files, distinct bytes)."""
    seen = set()
    pieces = []
    for name in installed_files(SUFFIXES[lang]):
        try:
            with open(name, "rb") as f:
                data = f.read()
        except OSError:
            continue
        if not data:
            continue
        digest = hashlib.sha1(data).digest()
        if digest in seen:
            continue
        try:
            data.decode("utf-8")
        except UnicodeDecodeError:
            continue  # one such file would turn the whole input into an 8-bit text
        # A byte-order mark would only count at the very start; keep the inputs alike.
        if data.startswith(b"\xef\xbb\xbf"):
            data = data[3:]
        seen.add(digest)
        if not data.endswith(b"\n"):
            data += b"\n"
        pieces.append(data)
    if not pieces:
        raise SystemExit(f"no installed *.{lang} files found")
    distinct = sum(len(p) for p in pieces)
    written = 0
    with open(path, "wb") as out:
        while written < target_bytes:
            for data in pieces:
                out.write(data)
                written += len(data)
                if written >= target_bytes:
                    break
    return written, len(pieces), distinct


def timed_run(cli, lang, path):
    """Wall and CPU seconds of one `tokens --count` run, and its output."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    result = subprocess.run([cli, "tokens", "--count", lang, path], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, check=False)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if result.returncode != 0:
        raise SystemExit(f"{cli} failed on {path}: {result.stderr.decode(errors='replace')}")
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return wall, cpu, result.stdout.decode().strip()


def listing_digest(cli, lang, path):
    """SHA-256 and size of the full token listing, streamed."""
    digest = hashlib.sha256()
    size = 0
    with subprocess.Popen([cli, "tokens", lang, path], stdout=subprocess.PIPE) as proc:
        while True:
            block = proc.stdout.read(1 << 20)
            if not block:
                break
            digest.update(block)
            size += len(block)
        if proc.wait() != 0:
            raise SystemExit(f"{cli} tokens {lang} {path} failed")
    return digest.hexdigest(), size


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", default=os.path.join(ROOT, "build", "kelvara-cli"))
    parser.add_argument("--baseline", help="a second kelvara-cli to compare with")
    parser.add_argument("--check", action="store_true",
                        help="compare the full token listings of --cli and --baseline")
    parser.add_argument("--rows", action="store_true", help="print benchmark table rows")
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--size", type=float, default=20, help="MB (10^6 bytes) per language")
    parser.add_argument("--langs", default="xml,html,css,js")
    parser.add_argument("--dir", default=os.path.join(ROOT, "build", "bench-tokens"),
                        help="where the inputs are written (reused when present)")
    args = parser.parse_args()
    if args.check and not args.baseline:
        parser.error("--check needs --baseline")

    os.makedirs(args.dir, exist_ok=True)
    target = int(args.size * 1e6)
    clis = [("new", args.cli)] + ([("old", args.baseline)] if args.baseline else [])
    failed = False
    if not args.rows:
        print(f"{'lang':5} {'build':5} {'MB':>6} {'wall MB/s':>10} {'CPU MB/s':>10}  "
              f"{'lines':>9} {'tokens':>10}")
    for lang in args.langs.split(","):
        path = os.path.join(args.dir, f"{lang}-{args.size:g}MB.{lang}")
        if not os.path.exists(path):
            written, files, distinct = assemble(lang, target, path)
            print(f"# {lang}: {written} bytes from {files} installed files "
                  f"({distinct} distinct bytes) -> {path}", file=sys.stderr)
        size = os.path.getsize(path)
        if args.check:
            new = listing_digest(args.cli, lang, path)
            old = listing_digest(args.baseline, lang, path)
            same = new == old
            failed |= not same
            print(f"# {lang}: token listings {'identical' if same else 'DIFFER'} "
                  f"({new[1]} bytes, sha256 {new[0][:16]})")
        samples = {name: ([], []) for name, _ in clis}
        counts = {}
        timed_run(args.cli, lang, path)  # brings the file into the page cache
        for _ in range(args.runs):
            for name, cli in clis:  # alternating, so drifting load hits both alike
                wall, cpu, out = timed_run(cli, lang, path)
                samples[name][0].append(wall)
                samples[name][1].append(cpu)
                counts.setdefault(name, out)
        if args.rows:
            cpu = size / 1e6 / statistics.median(samples["new"][1])
            print("\t".join([f"`tokens --count` (load + scan), {size / 1e6:.0f} MB of installed "
                             f"{NAMES[lang]} (CPU)", f"{cpu:.0f} MB/s", "-", "-", "-",
                             ">= 150 MB/s"]))
            continue
        for name, _ in clis:
            walls, cpus = samples[name]
            lines, _, tokens = counts[name].partition("\t")
            print(f"{lang:5} {name:5} {size / 1e6:6.1f} {size / 1e6 / statistics.median(walls):10.1f} "
                  f"{size / 1e6 / statistics.median(cpus):10.1f}  {lines:>9} {tokens:>10}")
        if args.baseline and counts["new"] != counts["old"]:
            print(f"# {lang}: line/token counts DIFFER: {counts}")
            failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
