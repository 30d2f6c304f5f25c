#!/usr/bin/env bash
# Warm instructions of word extraction, counted by valgrind's callgrind: the same count for the
# same binary and input however busy the machine is, so two builds are compared by it.
#
#   scripts/extraction-instructions.sh BUILD
#
# BUILD: a build folder configured with -DVOCAB_BENCH=ON (RelWithDebInfo, as make run builds, or
# Release) in which the targets extraction_instructions and learn_db are built. Prints the count
# for each approved prose text (repeated to 1 MiB) and the benchmarks' word-list text. Give two
# builds by paths of the same length (symlinks will do): the count moves by a few thousand with the
# size of the program's arguments and environment.
set -euo pipefail
build=${1:?usage: extraction-instructions.sh BUILD}
here=$(cd "$(dirname "$0")/.." && pwd)
command -v valgrind >/dev/null || { echo "valgrind is missing (apt-get install valgrind)" >&2; exit 1; }
for text in evening_post kestrel_notes_guide tin_can_story word-list; do
  input=word-list
  [ $text = word-list ] || input=$here/tests/tools/texts/$text.txt
  count=$(VOCAB_BUNDLE=$build/bundle valgrind --tool=callgrind --collect-atstart=no \
    --toggle-collect='*countedExtraction*' --callgrind-out-file=/dev/null \
    "$build/bench/extract/extraction_instructions" "$input" 2>&1 | sed -n 's/.*Collected : //p')
  printf '%-20s %s\n' "$text" "$count"
done
