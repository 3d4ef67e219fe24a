#!/usr/bin/env bash
# `kelvara-cli tokens --count` (load + scan) on ~20 MB of installed files per language.
set -euo pipefail
here="$(dirname "$0")"
. "$here/lib.sh"
exec python3 "$here/tokens.py" --cli "$1/kelvara-cli" --dir "$2/tokens" --runs "$runs" --rows
