#!/usr/bin/env python3
"""The corpora of scripts/compare-extraction.sh, and the comparison itself (see its header).

  extraction_corpus.py prepare CORPUS            write the corpora into the folder CORPUS
  extraction_corpus.py compare BEFORE AFTER CORPUS

A corpus file's name says how it falls into units, the pieces extracted alone:
  NAME.prose  paragraphs between blank lines, their lines joined, cut into sentences
  NAME.lines  each line a paragraph, cut into sentences
  NAME.units  each line one unit as it is ("\\n" in it a line break, "\\\\" a backslash)
A .prose or .lines file is also extracted whole. wordnet-pairs.tsv holds WordNet's
(example, lemma) pairs as "lemma<TAB>example" lines; its examples are wordnet-examples.units.
"""
import collections
import glob
import gzip
import os
import re
import shutil
import sqlite3
import subprocess
import sys
import tempfile

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WORDNET = "/usr/share/wordnet"
AUSTEN = ["sensesensibility", "prideprejudice", "mansfieldpark", "emma", "northangerabbey",
          "persuasion"]
MANUALS = {"debian-reference": "/usr/share/debian-reference/debian-reference.en.txt.gz",
           "jargon": "/usr/share/doc/jargon-text/jargon.txt.gz"}
TEST_SOURCES = ["tests/tools/ShippedExtractionTest.cpp"] + sorted(
    os.path.relpath(p, REPO) for p in glob.glob(os.path.join(REPO, "tests/extract/*.cpp")))


def fail(message):
    sys.exit("compare-extraction: " + message)


def escape_unit(text):
    return text.replace("\\", "\\\\").replace("\n", "\\n")


# --- units -------------------------------------------------------------------------------------

# A full stop after these is no sentence's end ("Mr. Knightley", "e.g. a file").
ABBREVIATIONS = {"mr", "mrs", "ms", "dr", "st", "jr", "sr", "prof", "capt", "col", "gen", "lt",
                 "rev", "no", "vs", "etc", "e.g", "i.e", "cf", "fig", "vol", "ch", "sec"}
SENTENCE_END = re.compile(r"[.!?]+[\"'\u201d\u2019)\]]*\s+(?=[\"'\u201c\u2018(\[]?[A-Z0-9])")


def sentences(paragraph):
    out, start = [], 0
    for end in SENTENCE_END.finditer(paragraph):
        before = paragraph[start:end.start()].split()
        last = before[-1].lower().rstrip(".") if before else ""
        if last in ABBREVIATIONS or (len(last) == 1 and last.isalpha()):
            continue
        out.append(paragraph[start:end.end()].strip())
        start = end.end()
    if paragraph[start:].strip():
        out.append(paragraph[start:].strip())
    return out


def units_of(path):
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        text = f.read()
    if path.endswith(".units"):
        return [line for line in text.split("\n") if line.strip()]
    if path.endswith(".lines"):
        paragraphs = text.split("\n")
    else:
        paragraphs = re.split(r"\n[ \t]*\n", text)
    units = []
    for paragraph in paragraphs:
        joined = " ".join(paragraph.split())
        if joined:
            units += [escape_unit(s) for s in sentences(joined)]
    return units


# --- prepare -----------------------------------------------------------------------------------

CPP_ESCAPES = {"n": "\n", "t": "\t", "r": "\r", "0": "\0"}


def unescaped(body):
    """A C++ literal's text: its escapes read, "\\xc3\\xa9" and "\\u00e9" alike."""
    out = bytearray()
    for m in re.finditer(r"\\x([0-9a-fA-F]{2})|\\u([0-9a-fA-F]{4})|\\(.)|(.)", body, re.S):
        if m.group(1):
            out.append(int(m.group(1), 16))
        else:
            char = chr(int(m.group(2), 16)) if m.group(2) else m.group(4) or CPP_ESCAPES.get(
                m.group(3), m.group(3))
            out += char.encode("utf-8")
    return out.decode("utf-8", "replace")


def string_literals(source):
    """The string literals of a C++ file, adjacent ones joined, their escapes read."""
    literals, at, joined = [], 0, None
    while at < len(source):
        c = source[at]
        # A comment or a preprocessor line ("#include") ends at its line's end.
        if source.startswith("//", at) or (c == "#" and (at == 0 or source[at - 1] == "\n")):
            at = source.find("\n", at) % (len(source) + 1)
        elif source.startswith("/*", at):
            at = source.find("*/", at) % (len(source) + 1) + 2
        elif c in "\"'":
            end = at + 1
            while end < len(source) and source[end] != c:
                end += 2 if source[end] == "\\" else 1
            text = unescaped(source[at + 1:end])
            if c == '"':
                if joined is None:
                    literals.append(text)
                else:
                    literals[-1] += text
                joined = True
            at = end + 1
            continue
        elif not c.isspace():
            joined = None
        at += 1
    return literals


def is_sentence(text):
    return " " in text.strip() and len(re.findall(r"[A-Za-z]+", text)) >= 2


def wordnet_pairs():
    """(example, lemma) for each one-word lemma of a synset that its example holds a form of:
    tests/tools/WordNetExamples.cpp's rules, there limited to the library's headwords."""
    endings = {"n": [("s", ""), ("ses", "s"), ("xes", "x"), ("zes", "z"), ("ches", "ch"),
                     ("shes", "sh"), ("men", "man"), ("ies", "y")],
               "v": [("s", ""), ("ies", "y"), ("es", "e"), ("es", ""), ("ed", "e"), ("ed", ""),
                     ("ing", "e"), ("ing", "")],
               "a": [("er", ""), ("est", ""), ("er", "e"), ("est", "e")], "r": []}
    parts = {"noun": "n", "verb": "v", "adj": "a", "adv": "r"}
    pairs, examples = set(), set()
    for name, pos in parts.items():
        exceptions = collections.defaultdict(set)
        with open(f"{WORDNET}/{name}.exc") as f:
            for line in f:
                fields = line.split()
                exceptions[fields[0]].update(fields[1:])

        def is_form(token, lemma):
            if token == lemma or lemma in exceptions.get(token, ()):
                return True
            return any(token.endswith(strip) and len(token) > len(strip)
                       and token[:len(token) - len(strip)] + add == lemma
                       for strip, add in endings[pos])

        with open(f"{WORDNET}/data.{name}", encoding="latin-1") as f:
            for line in f:
                if line.startswith("  "):
                    continue
                head, _, gloss = line.partition(" | ")
                fields = head.split()
                words = [re.sub(r"\(.*\)$", "", w) for w in fields[4:4 + 2 * int(fields[3], 16):2]]
                lemmas = [w for w in words if re.fullmatch(r"[A-Za-z]+", w)]
                for example in re.findall(r'"([^"]*)"', gloss):
                    example = example.strip()
                    if not example:
                        continue
                    examples.add(example)
                    tokens = [t.lower() for t in re.findall(r"[A-Za-z]+", example)]
                    for lemma in lemmas:
                        if any(is_form(t, lemma.lower()) for t in tokens):
                            pairs.add((example, lemma))
    return pairs, examples


def write_lines(path, lines):
    with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
        f.writelines(line + "\n" for line in lines)


def prepare(corpus):
    os.makedirs(corpus, exist_ok=True)
    for text in sorted(glob.glob(os.path.join(REPO, "tests/tools/texts/*.txt"))):
        name = os.path.basename(text)[:-4]
        shutil.copyfile(text, os.path.join(corpus, f"held-{name}.lines"))
    literals = []
    for source in TEST_SOURCES:
        with open(os.path.join(REPO, source), encoding="utf-8") as f:
            literals += [s for s in string_literals(f.read()) if is_sentence(s)]
    write_lines(os.path.join(corpus, "test-sentences.units"),
                [escape_unit(s) for s in dict.fromkeys(literals)])
    script = "library(janeaustenr); for (b in commandArgs(TRUE)) writeLines(get(b), " \
             "file.path('%s', paste0('austen-', b, '.prose')))" % corpus
    if subprocess.run(["Rscript", "-e", script] + AUSTEN).returncode != 0:
        fail("Austen's novels need Rscript and r-cran-janeaustenr")
    for name, path in MANUALS.items():
        with gzip.open(path) as f, open(os.path.join(corpus, f"{name}.prose"), "wb") as out:
            shutil.copyfileobj(f, out)
    pairs, examples = wordnet_pairs()
    # Every example is a unit, whether it holds a lemma or not.
    write_lines(os.path.join(corpus, "wordnet-pairs.tsv"),
                sorted(f"{lemma}\t{example}" for example, lemma in pairs))
    write_lines(os.path.join(corpus, "wordnet-examples.units"),
                sorted({escape_unit(example) for example in examples}))
    print(f"{corpus}: {len(glob.glob(os.path.join(corpus, '*.*')))} files; WordNet: {len(examples)} "
          f"distinct examples, {len(pairs)} (example, lemma) pairs")


# --- compare -----------------------------------------------------------------------------------

def tool_of(build):
    tool = os.path.join(build, "tools", "extract_text")
    if not os.access(tool, os.X_OK):
        fail(f"{tool} is missing: build the targets extract_text and learn_db in {build}")
    bundle = os.path.join(build, "bundle")
    if not os.path.exists(os.path.join(bundle, "learn.db")):
        fail(f"{bundle}/learn.db is missing: build the target learn_db in {build}")
    return tool, dict(os.environ, VOCAB_BUNDLE=bundle)


def start(build, args, **kwargs):
    tool, env = tool_of(build)
    return subprocess.Popen([tool] + args, env=env, stdout=subprocess.PIPE, text=True,
                            encoding="utf-8", errors="surrogateescape", **kwargs)


def finish(process, build):
    out, _ = process.communicate()
    if process.returncode != 0:
        fail(f"extract_text of {build} ended with status {process.returncode}")
    return out


def extract_units(builds, units):
    """Each build's headwords of every unit, a set per unit."""
    with tempfile.NamedTemporaryFile("w", encoding="utf-8", errors="surrogateescape",
                                     suffix=".units") as f:
        f.writelines(u + "\n" for u in units)
        f.flush()
        running = [start(b, ["--units", f.name]) for b in builds]
        results = []
        for process, build in zip(running, builds):
            lines = finish(process, build).split("\n")[:-1]
            if len(lines) != len(units):
                fail(f"{build}'s extract_text gave {len(lines)} lines for {len(units)} units: "
                     "it needs the --units mode (tools/extract_text.cpp)")
            results.append([set(line.split("\t")) - {""} for line in lines])
        return results


def extract_whole(builds, files):
    """Each build's headwords of each whole file."""
    # extract_text heads each file's list with its name only when it is given several.
    running = [start(b, files if len(files) > 1 else files * 2) for b in builds]
    results = []
    for process, build in zip(running, builds):
        words, current = {}, None
        for line in finish(process, build).split("\n"):
            if line.startswith("# "):
                current = words.setdefault(line[2:], set())
            elif line:
                current.add(line)
        results.append(words)
    return results


def change(before, after):
    return " ".join(["+" + w for w in sorted(after - before)] +
                    ["-" + w for w in sorted(before - after)])


def library(build):
    db = sqlite3.connect(f"file:{os.path.join(build, 'bundle', 'learn.db')}?mode=ro", uri=True)
    words = {row[0] for row in db.execute("select wl_tWord from Words_Library")}
    db.close()
    return words


def compare(before_build, after_build, corpus):
    files = sorted(glob.glob(os.path.join(corpus, "*.prose")) +
                   glob.glob(os.path.join(corpus, "*.lines")) +
                   glob.glob(os.path.join(corpus, "*.units")))
    if not files:
        fail(f"no corpus in {corpus}: run compare-extraction.sh prepare {corpus} first")
    builds = [before_build, after_build]
    units = {path: units_of(path) for path in files}
    every = [u for path in files for u in units[path]]
    before_units, after_units = extract_units(builds, every)
    whole_files = [p for p in files if not p.endswith(".units")]
    before_whole, after_whole = extract_whole(builds, whole_files)

    total_units = total_changed = 0
    tally = collections.Counter()
    at = 0
    for path in files:
        name = os.path.basename(path)
        changed = collections.OrderedDict()
        for unit in units[path]:
            b, a = before_units[at], after_units[at]
            at += 1
            if a != b:
                key = (unit, change(b, a))
                changed[key] = changed.get(key, 0) + 1
                tally.update(["+" + w for w in a - b] + ["-" + w for w in b - a])
        count = len(units[path])
        total_units += count
        total_changed += sum(changed.values())
        whole = ""
        if path in whole_files:
            whole = "; whole text: " + (change(before_whole[path], after_whole[path])
                                        or "the same")
        print(f"{name}: {count} units, {sum(changed.values())} changed{whole}")
        for (unit, diff), times in changed.items():
            repeat = f" (x{times})" if times > 1 else ""
            print(f"    {diff}{repeat}  | {unit}")
    print(f"TOTAL: {total_units} units in {len(files)} files, {total_changed} changed")
    if tally:
        print("  headwords: " + ", ".join(f"{w} x{n}" for w, n in tally.most_common()))
    wordnet_check(corpus, builds, {u: (b, a) for u, b, a in zip(every, before_units, after_units)})


def wordnet_check(corpus, builds, extracted):
    path = os.path.join(corpus, "wordnet-pairs.tsv")
    if not os.path.exists(path):
        print("WordNet: no wordnet-pairs.tsv in the corpus")
        return
    with open(path, encoding="utf-8") as f:
        pairs = [tuple(line.rstrip("\n").split("\t", 1))[::-1] for line in f if line.strip()]
    missing = {escape_unit(e) for e, _ in pairs} - extracted.keys()
    if missing:
        fail(f"{len(missing)} WordNet examples are not in wordnet-examples.units")
    headwords = library(builds[1])
    given = [[(e, l) for e, l in pairs if l in extracted[escape_unit(e)][i]] for i in (0, 1)]
    in_library = [(e, l) for e, l in pairs if l in headwords]
    print(f"WordNet: {len(pairs)} (example, lemma) pairs in {len({e for e, _ in pairs})} "
          f"examples; given before {len(given[0])}, after {len(given[1])}")
    print(f"  of them with a lemma that the after build's library has: {len(in_library)} pairs; "
          f"given before {sum(l in headwords for _, l in given[0])}, "
          f"after {sum(l in headwords for _, l in given[1])}")
    lost = sorted(set(given[0]) - set(given[1]), key=lambda p: (p[1], p[0]))
    gained = sorted(set(given[1]) - set(given[0]), key=lambda p: (p[1], p[0]))
    print(f"  lost (given before, not after): {len(lost)}")
    for example, lemma in lost:
        print(f"    -{lemma}  | {example}")
    print(f"  gained (given after, not before): {len(gained)}")
    for example, lemma in gained:
        print(f"    +{lemma}  | {example}")


def main(args):
    if len(args) == 2 and args[0] == "prepare":
        prepare(os.path.abspath(args[1]))
    elif len(args) == 4 and args[0] == "compare":
        compare(*args[1:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
