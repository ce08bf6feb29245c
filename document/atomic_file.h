// Reading and writing whole files so that a failure is never taken for
// success and a good file is never replaced by a broken one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace mottler {

// Writes the bytes to the file the path names.
//
// The name is looked up once, following symbolic links at its end the way
// the kernel would, but holding on to each folder on the way: whatever is
// renamed or swapped under the writer after the look-up, the bytes go to the
// place the look-up found or nowhere.  A symbolic link is written through,
// also when the file it names does not exist yet; the link stays a link.
//
// A regular file (new or existing) is written to a temporary file in its
// folder, synced, and renamed over the target only when every byte reached
// the disk; the folder is synced after the rename so that the save survives a
// power cut.  A regular file is never truncated or written in place, so a
// reader never sees it empty or half-written, and two savers racing for one
// name leave one of their files whole.  A replaced file keeps its
// permissions and, where the system allows it, its owner and group; being a
// new file, it leaves the old one's other hard links behind.
//
// While the temporary exists, SIGINT, SIGTERM and SIGHUP remove it before
// they end the process (where the process left them at their default).
//
// Anything else that can be opened for writing (a character device such as
// /dev/null, a FIFO, a terminal) is written directly: such a node is never
// replaced.  So is whatever a /proc/self/fd link leads to, a regular file
// included, since only the descriptor reaches it: that file is written over
// from its start and cut to the new length once all of it is written.
// A folder is refused.
//
// On failure a regular target is untouched, no temporary file is left
// behind, false is returned and *error (when given) says why.
//
// With FolderSync::Deferred the folder is not synced here: a batch writing
// many files into one folder syncs it once at the end with syncFolderOf.
// Every file is still synced before it is renamed, so a power cut never
// leaves a half-written file over a good one.
enum class FolderSync { Each, Deferred };
bool writeFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                         std::string* error = nullptr, FolderSync folderSync = FolderSync::Each);

// Syncs the folder a file lies in (its rename made durable); false with the
// reason in *error only on an I/O error.
bool syncFolderOf(const std::filesystem::path& file, std::string* error = nullptr);

// The moments of a save at which a test steps in, to change the file system
// under the writer or to interrupt it there.
enum class SaveStage {
  LookedUp,          // the name is resolved, nothing is opened yet
  TemporaryCreated,  // the temporary file exists, nothing is written yet
  Written,           // every byte is written, not yet synced
  Synced,            // the temporary is on disk, not yet renamed
};
using SaveStageHook = void (*)(SaveStage stage);

// Calls the hook at every stage of every save from now on (nullptr: none).
void setSaveStageHook(SaveStageHook hook);

// Writes all bytes to an open descriptor (standard output, a pipe).  false
// with the reason in *error when not all of them could be written.
bool writeToDescriptor(int fd, std::span<const std::uint8_t> bytes, std::string* error = nullptr);

enum class ReadAllStatus {
  Ok,
  TooLarge,  // more than the limit: nothing is kept
  Failed,    // a read error (a folder, an I/O error): errno says which
};

// Reads everything an open descriptor delivers up to its end: a regular
// file, a pipe, a FIFO, a terminal.  Never seeks, so it works on all of
// them.  Stops and answers TooLarge as soon as more than limit bytes arrive.
ReadAllStatus readAll(int fd, std::size_t limit, std::vector<std::uint8_t>& bytes);

// Opens the file and reads it whole with readAll.  On failure *error (when
// given) holds the reason ("No such file or directory", "Is a directory").
ReadAllStatus readWholeFile(const std::filesystem::path& path, std::size_t limit,
                            std::vector<std::uint8_t>& bytes, std::string* error = nullptr);

}  // namespace mottler
