// File helpers over the file system, with the shapes the application's callers need. None of them
// throws; failures are reported by the return value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plat::files {

bool exists(const std::string& path);
bool isDirectory(const std::string& path);
std::optional<uint64_t> fileSize(const std::string& path);
// Seconds since the Unix epoch (the change time where the creation time is unknown).
std::optional<double> creationDate(const std::string& path);
std::optional<double> modificationDate(const std::string& path);

std::optional<std::string> readFile(const std::string& path);
// Writes through a temporary file in the same folder and a rename: readers see the old content
// or the new, never a part.
bool writeFileAtomically(const std::string& path, const std::string& content);
// Writes all of `data` to the open file `fd`, waits for the disk when `syncToDisk`, and closes
// it; false when any step failed.
bool writeAndClose(int fd, std::string_view data, bool syncToDisk);
// The same, but only where nothing is at `path`: of two writers of one new path, from any
// threads, exactly one is kept whole and told so. `syncToDisk` waits for the disk before the file
// appears; without it a power cut may leave it empty. On a file system with neither a no-replace
// rename nor hard links (some network and FUSE ones) the name is claimed empty first: a reader may
// find it empty for a moment, and a power cut or a kill in that moment leaves it empty.
bool writeNewFileAtomically(const std::string& path, const std::string& content,
                            bool syncToDisk = true);
// Whether `error`, from link(), says that the file system has no hard links at all (some network
// and FUSE ones), rather than why this one link was refused.
bool lacksHardLinks(int error);

bool createDirectories(const std::string& path);
// Copies a file; fails (and leaves the target alone) when the target exists.
bool copyFile(const std::string& from, const std::string& to);
// Copies a file as copyFile does, handing each part of the copy to the disk as soon as it is
// written, without waiting for it: a syncToDisk of the copy then waits only for the last parts.
// A copy that fails half-way is removed.
bool copyFileWritingBack(const std::string& from, const std::string& to);
// Flushes a file, or a folder's list of names (after a rename into it), to the disk, so that a
// power cut cannot undo it; false when that failed.
bool syncToDisk(const std::string& path);
// Renames, or copies and removes across file systems; fails when the target exists.
bool moveFile(const std::string& from, const std::string& to);
// Removes a file or a whole folder; true if nothing is left at path.
bool remove(const std::string& path);
// Names (not paths) of the entries of a folder, sorted; empty if it cannot be read.
std::vector<std::string> list(const std::string& folder);

// The running program's own file, empty when it cannot be read.
std::string programPath();
std::string join(const std::string& folder, const std::string& name);
std::string lastPathComponent(const std::string& path);
std::string pathExtension(const std::string& path);          // "txt" for "a/b.txt"
std::string deletingPathExtension(const std::string& path);  // "a/b" for "a/b.txt"

}  // namespace plat::files
