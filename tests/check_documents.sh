#!/usr/bin/env bash
# The documents name only files that exist: a file renamed or removed takes its mentions along.
cd "$(dirname "$0")/.."
status=0
for doc in README.md HACKING.md PHILOSOPHY.md NOT-BUGS.md; do
  for name in $(grep -oE '[A-Za-z0-9_./-]+\.(cpp|h|py|sh)\b|\bscripts/[a-z-]+' "$doc" | sort -u); do
    if [[ $name == */* ]]; then
      [[ -e $name ]] && continue
    elif [[ -n $(find src tools tests scripts fuzz bench packaging -name "$name" -print -quit) ]]; then
      continue
    fi
    echo "$doc names $name, which is nowhere in the tree"; status=1
  done
done
[[ $status -eq 0 ]] && echo "every file the documents name is there"
exit $status
