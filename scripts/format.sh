#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Rewrites our C++ sources as clang-format (.clang-format) would write them.
# With --check nothing is written: the files that differ are listed and the
# script fails if there are any. Only files git tracks count, so build folders
# and scratch files never do; outside a git checkout every source does.
set -eu
cd "$(dirname "$0")/.."
CLANG_FORMAT="${CLANG_FORMAT:-clang-format}"
folders="src tests fuzz bench resources"

# One name a line; a file deleted in the work tree but not yet in git is left out.
sources()
{
    if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        for d in $folders; do git ls-files -- "$d/*.cpp" "$d/*.h"; done
    else
        # shellcheck disable=SC2086
        find $folders -type f \( -name '*.cpp' -o -name '*.h' \) | sort
    fi | while IFS= read -r f; do [ -f "$f" ] && printf '%s\0' "$f"; done
}

if [ "${1:-}" != "--check" ]; then
    sources | xargs -0 -r "$CLANG_FORMAT" -i
    exit
fi

# One clang-format for all files: one for each file takes about fifteen times as long.
status=0
report=$(sources | xargs -0 -r "$CLANG_FORMAT" --dry-run --Werror 2>&1) || status=$?
[ "$status" -eq 0 ] && exit 0
differ=$(printf '%s\n' "$report" |
    sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' | sort -u)
if [ -z "$differ" ]; then
    # It failed for another reason, such as a style file it cannot read.
    printf '%s\n' "$report" >&2
    exit "$status"
fi
echo "These files differ from clang-format's output (make format rewrites them):"
printf '%s\n' "$differ" | sed 's/^/  /'
exit 1
