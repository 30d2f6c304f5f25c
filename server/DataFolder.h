// The stand-in server's state in a folder, so that accounts, backups, messages and shared notes
// outlive a run. Each kind of record is a file of tab-separated lines (tabs, line feeds and
// backslashes inside a field written as \t, \n and \\), which one may read or edit while the
// server is stopped:
//   accounts.tsv        name, password MD5, referral id, referred by, backup id, backup time,
//                       backup word-data version, sign-ins, logins, unread messages, last
//                       sign-in day, sign-in run, longest run
//   messages.tsv        account, time (seconds since 1970), text; newest first per account
//   mnemonics.tsv, grammar-notes.tsv
//                       id, word id, text, sharer, time, adoptions, marked good (0 or 1)
//   adoptions.tsv       account, adopted note id (a grammar note's negative)
//   excellent.tsv       id, word id, mnemonic id, sort id, text, sharer
//   lessons.tsv         day index, time, sentence, translation, lucky words, prize HTML
//   feedback.tsv        account, type, text, system, word-data version, app version
//   lucky-words.tsv     lesson time, account
//   counters.tsv        "next_id" and the next id to give out
//   backups/<account>.dump
//                       the account's backed-up study data as dump text; in the file name every
//                       byte of the account name but letters, digits, "-" and "_" is "%" and two
//                       hex digits, and a name too long for that is "~" and its SHA-256 in hex
// and, laid there by hand, voices/basic.zip and voices/extended.zip: the voice packs the app
// downloads.
// The files a change touches are replaced together through temporary files ("<file>.tmp") and
// renames (StagedWrite), so a failed write leaves the state the folder kept before the change, and
// no temporary file.
#pragma once

#include <string>

#include "server/State.h"

namespace standin {

// Reads the state kept in `folder` into `state`; a missing folder or file reads as empty. "" on
// success, else what went wrong and where ("accounts.tsv:3: ...").
std::string loadState(const std::string& folder, State& state);

// Removes the temporary files that writes cut short by a crash left in `folder`: a backup's may
// hold the last free space of the disk. Only while no server writes the folder (at its start).
void removeLeftovers(const std::string& folder);

// Writes the state into `folder` (made when missing), backups only of the accounts named in
// `state.changedBackups`, which it then clears. "" on success, else what went wrong; the folder
// then keeps what it had, and `state` is as it was given, for the caller to undo the change.
std::string saveState(const std::string& folder, State& state);

}  // namespace standin
