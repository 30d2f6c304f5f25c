#!/usr/bin/env bash
# Word extraction before and after a change, over texts no rule was written for: prints every
# sentence (or line) whose headwords differ between two builds, with the headwords added (+) and
# lost (-), each corpus file's headwords extracted whole, and WordNet's examples checked.
#
#   scripts/compare-extraction.sh prepare CORPUS
#       Writes the corpora into the folder CORPUS (kept outside the repository):
#       - held-*.lines: the held texts, tests/tools/texts/*.txt of this tree;
#       - test-sentences.units: every string literal of two words or more in
#         tests/tools/ShippedExtractionTest.cpp and tests/extract/*.cpp of this tree, one a line;
#       - austen-*.prose: Jane Austen's six novels, from the Debian package r-cran-janeaustenr
#         (its R data, read with Rscript; install it with --no-install-recommends);
#       - debian-reference.prose: the Debian Reference as plain text, from debian-reference-en
#         (/usr/share/debian-reference/debian-reference.en.txt.gz);
#       - jargon.prose: the Jargon File, from jargon-text (/usr/share/doc/jargon-text/jargon.txt.gz);
#       - wordnet-pairs.tsv and wordnet-examples.units: the quoted examples of WordNet's glosses
#         (/usr/share/wordnet/data.{noun,verb,adj,adv}, from wordnet-base, a build dependency),
#         each beside the one-word lemmas of its synset that it holds a form of ("lemma<TAB>example").
#       Prepare again after the tests gain sentences.
#
#   scripts/compare-extraction.sh BEFORE AFTER CORPUS
#       BEFORE and AFTER are build folders, each with tools/extract_text (which has the --units
#       mode) and bundle/learn.db: configure with -DVOCAB_TESTS=OFF and build the targets
#       extract_text and learn_db. Every unit (a sentence of a .prose or .lines file, a line of a
#       .units file) is extracted alone in both, and every .prose and .lines file whole. Printed:
#         NAME: N units, C changed; whole text: +added -lost
#             +added -lost (xTIMES)  | the unit
#         TOTAL: ... and how often each headword was added or lost
#         WordNet: how many (example, lemma) pairs each build gives (the example, extracted alone,
#         gives the lemma), then every pair given before and not after, and every pair gained.
#       The guard of the WordNet pairs in make test is tests/tools/WordNetExamplesTest.cpp.
#
# Needs python3 (with its sqlite3 module), and Rscript for prepare.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ $# -eq 2 ] && [ "$1" = prepare ]; then
  exec python3 "$here/extraction_corpus.py" prepare "$2"
elif [ $# -eq 3 ]; then
  exec python3 "$here/extraction_corpus.py" compare "$1" "$2" "$3"
fi
echo "usage: $0 prepare CORPUS | $0 BEFORE_BUILD AFTER_BUILD CORPUS" >&2
exit 2
