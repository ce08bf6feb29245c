#include "document/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <random>
#include <string_view>
#include <utility>

namespace mottler {

namespace fs = std::filesystem;

namespace {

// Links followed before giving up, as the kernel does (ELOOP).
constexpr int kMaxLinkHops = 40;
// Looks at a name that keeps changing between the look-up and the open.
constexpr int kMaxAttempts = 16;
constexpr std::string_view kTemporarySuffix = ".XXXXXX";

std::atomic<SaveStageHook> stageHook{nullptr};

void reachStage(SaveStage stage) {
  if (const SaveStageHook hook = stageHook.load()) hook(stage);
}

bool fail(std::string* error, const std::string& what) {
  if (error) *error = what + ": " + std::strerror(errno);
  return false;
}

// A descriptor closed when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { close(); }
  Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) {
      close();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now; false (errno set) when closing reports a write error.
  bool close() {
    const int fd = std::exchange(fd_, -1);
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool sameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// --- temporaries removed on signals ----------------------------------------
// The handler may run at any moment, so the temporaries it removes are kept
// in fixed slots it reads without locks, and all it calls is unlinkat.

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kFree = 0, kFilling = 1, kLive = 2;

struct PendingTemporary {
  std::atomic<int> state{kFree};
  int folder = -1;
  char name[NAME_MAX + 1] = {};
};
static_assert(std::atomic<int>::is_always_lock_free);

PendingTemporary pendingTemporaries[16];

extern "C" void removeTemporariesAndDie(int signal) {
  const int savedErrno = errno;
  for (PendingTemporary& pending : pendingTemporaries)
    if (pending.state.load() == kLive) ::unlinkat(pending.folder, pending.name, 0);
  // SA_RESETHAND has put back the default action: the signal raised again
  // ends the process, by the same signal, as soon as this handler returns.
  ::raise(signal);
  errno = savedErrno;
}

// Takes over the signals the process leaves at their default action; one
// that is ignored or handled by the program stays as it is.
void removeTemporariesOnSignals() {
  for (const int signal : kCleanupSignals) {
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO) ||
        current.sa_handler != SIG_DFL)
      continue;
    struct sigaction action {};
    action.sa_handler = removeTemporariesAndDie;
    ::sigemptyset(&action.sa_mask);
    for (const int other : kCleanupSignals) ::sigaddset(&action.sa_mask, other);
    action.sa_flags = SA_RESETHAND;
    ::sigaction(signal, &action, nullptr);
  }
}

// The signals held back while a temporary is created and recorded, so that
// none arrives between the two.
class CleanupSignalsBlocked {
 public:
  CleanupSignalsBlocked() {
    sigset_t blocked;
    ::sigemptyset(&blocked);
    for (const int signal : kCleanupSignals) ::sigaddset(&blocked, signal);
    ::pthread_sigmask(SIG_BLOCK, &blocked, &previous_);
  }
  ~CleanupSignalsBlocked() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  CleanupSignalsBlocked(const CleanupSignalsBlocked&) = delete;
  CleanupSignalsBlocked& operator=(const CleanupSignalsBlocked&) = delete;

 private:
  sigset_t previous_;
};

// Records a temporary for the signal handler; -1 when every slot is taken
// (the save goes on, only without that protection).
int recordTemporary(int folder, const std::string& name) {
  for (int slot = 0; slot < static_cast<int>(std::size(pendingTemporaries)); ++slot) {
    PendingTemporary& pending = pendingTemporaries[slot];
    int expected = kFree;
    if (!pending.state.compare_exchange_strong(expected, kFilling)) continue;
    pending.folder = folder;
    std::memcpy(pending.name, name.c_str(), std::min(name.size() + 1, sizeof pending.name));
    pending.state.store(kLive);
    return slot;
  }
  return -1;
}

void forgetTemporary(int slot) {
  if (slot >= 0) pendingTemporaries[slot].state.store(kFree);
}

// --- looking the name up ----------------------------------------------------

enum class Node {
  Missing,      // nothing there: a new file
  Regular,      // replaced by rename
  Special,      // a device, FIFO or socket: written in place
  ProcessLink,  // a /proc link: written where the kernel resolves it
};

// Where a save goes: a folder held open, so that renaming or swapping the
// folders on the way cannot move the save elsewhere, and a name in it.
struct Place {
  Descriptor folder;
  std::string name;
  fs::path shown;  // the path as messages show it
  Node node = Node::Missing;
  struct stat found {};  // what the name held at the look-up
};

// Opens a folder by path, relative to the folder base, for use as the base
// of later look-ups only.
Descriptor openFolder(int base, const fs::path& folder) {
  const fs::path path = folder.empty() ? fs::path(".") : folder;
  return Descriptor(::openat(base, path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
}

// Links in /proc (/proc/self/fd/1) lead to what a descriptor has open, which
// their text does not name: only the kernel can follow them.
bool inProcFileSystem(int folder) {
  constexpr unsigned long kProcMagic = 0x9fa0;  // the /proc file system's f_type
  struct statfs fsInfo {};
  return ::fstatfs(folder, &fsInfo) == 0 && static_cast<unsigned long>(fsInfo.f_type) == kProcMagic;
}

// Resolves the path to the place that receives the file, following the
// links at its end one by one from the folder that holds each.
bool lookUp(const fs::path& requested, Place& place, std::string* error) {
  place.shown = requested;
  place.folder = openFolder(AT_FDCWD, requested.parent_path());
  if (!place.folder.valid()) return fail(error, "cannot write " + requested.string());
  place.name = requested.filename().string();
  for (int hop = 0;; ++hop) {
    struct stat& st = place.found;
    if (::fstatat(place.folder.get(), place.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      place.node = Node::Missing;
      return errno == ENOENT || fail(error, "cannot write " + place.shown.string());
    }
    if (S_ISDIR(st.st_mode)) {
      errno = EISDIR;
      return fail(error, "cannot write " + place.shown.string());
    }
    if (!S_ISLNK(st.st_mode)) {
      place.node = S_ISREG(st.st_mode) ? Node::Regular : Node::Special;
      return true;
    }
    if (inProcFileSystem(place.folder.get())) {
      place.node = Node::ProcessLink;
      return true;
    }
    if (hop == kMaxLinkHops) {
      errno = ELOOP;
      return fail(error, "cannot write " + place.shown.string());
    }
    std::string to(PATH_MAX, '\0');
    const ssize_t n = ::readlinkat(place.folder.get(), place.name.c_str(), to.data(), to.size());
    if (n < 0) return fail(error, "cannot follow the link " + place.shown.string());
    const bool tooLong = static_cast<std::size_t>(n) >= to.size();
    to.resize(tooLong ? 0 : static_cast<std::size_t>(n));
    const fs::path next(to);
    const fs::path shown = next.is_absolute() ? next : place.shown.parent_path() / next;
    if (tooLong || !next.has_filename()) {  // a link to "folder/" names no file
      errno = tooLong ? ENAMETOOLONG : EISDIR;
      return fail(error, "cannot write " + (tooLong ? place.shown : shown).string());
    }
    if (next.has_parent_path()) {
      place.folder = openFolder(place.folder.get(), next.parent_path());
      if (!place.folder.valid()) return fail(error, "cannot write " + shown.string());
    }
    place.name = next.filename().string();
    place.shown = shown;
  }
}

// --- writing ----------------------------------------------------------------

enum class Outcome { Written, Failed, LookAgain };

Outcome failed(std::string* error, const std::string& what) {
  fail(error, what);
  return Outcome::Failed;
}

// Closes the descriptor after a write; false with errno set to the first
// error, the write's or the close's.
bool closeAfter(Descriptor& fd, bool written) {
  const int writeErrno = errno;
  const bool closed = fd.close();
  if (!written) errno = writeErrno;
  return written && closed;
}

// A device, FIFO, terminal or socket: opened without following a link
// swapped in since the look-up, and written only when it is still the node
// found there (a regular file renamed over it is replaced instead).
Outcome writeIntoNode(const Place& place, std::span<const std::uint8_t> bytes,
                      std::string* error) {
  Descriptor fd(::openat(place.folder.get(), place.name.c_str(),
                         O_WRONLY | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC));
  if (!fd.valid()) {
    if (errno == ELOOP || errno == ENOENT) return Outcome::LookAgain;
    return failed(error, "cannot open " + place.shown.string());
  }
  struct stat opened {};
  if (::fstat(fd.get(), &opened) != 0 || !sameFile(opened, place.found)) return Outcome::LookAgain;
  const bool written = writeAll(fd.get(), bytes.data(), bytes.size());
  return closeAfter(fd, written) ? Outcome::Written
                                 : failed(error, "cannot write " + place.shown.string());
}

// What a /proc link leads to (standard output, a descriptor's file), opened
// by the kernel.  A regular file there has no name of its own to rename
// over: it is written from its start and cut to the new length only once
// every byte is written, so it never lies empty.
Outcome writeThroughProcessLink(const Place& place, std::span<const std::uint8_t> bytes,
                                std::string* error) {
  Descriptor fd(::openat(place.folder.get(), place.name.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
  if (!fd.valid()) return failed(error, "cannot open " + place.shown.string());
  struct stat opened {};
  const bool regular = ::fstat(fd.get(), &opened) == 0 && S_ISREG(opened.st_mode);
  const bool written =
      writeAll(fd.get(), bytes.data(), bytes.size()) &&
      (!regular || (::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) == 0 &&
                    ::fsync(fd.get()) == 0));
  return closeAfter(fd, written) ? Outcome::Written
                                 : failed(error, "cannot write " + place.shown.string());
}

// The longest file name the folder's file system takes.
std::size_t nameLimit(int folder) {
  const long limit = ::fpathconf(folder, _PC_NAME_MAX);
  return limit > 0 ? static_cast<std::size_t>(limit) : 255;
}

// ".<name>.XXXXXX", the name shortened (never inside a UTF-8 character) so
// that the temporary name stays within the file system's limit even when the
// target's own name uses all of it.
std::string temporaryName(const std::string& name, std::size_t limit) {
  const std::size_t fixed = 1 + kTemporarySuffix.size();
  std::size_t keep = std::min(name.size(), limit > fixed ? limit - fixed : 0);
  while (keep > 0 && keep < name.size() && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
    --keep;
  std::string temporary(1, '.');
  temporary.append(name, 0, keep);
  temporary.append(kTemporarySuffix);
  return temporary;
}

// A new temporary file in the folder, named after the pattern with its
// trailing X's replaced by random letters and digits, and recorded for the
// signal handler before any signal can end the process.
struct Temporary {
  Descriptor fd;
  int slot = -1;
};

Temporary createTemporary(int folder, std::string& pattern, mode_t mode) {
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device entropy;
  std::mt19937 random(entropy());
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
  const std::size_t start = pattern.size() - (kTemporarySuffix.size() - 1);
  const CleanupSignalsBlocked blocked;
  Temporary temporary;
  for (int attempt = 0; attempt < 100; ++attempt) {
    for (std::size_t i = start; i < pattern.size(); ++i) pattern[i] = kLetters[pick(random)];
    temporary.fd = Descriptor(
        ::openat(folder, pattern.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (temporary.fd.valid()) {
      temporary.slot = recordTemporary(folder, pattern);
      break;
    }
    if (errno != EEXIST) break;
  }
  return temporary;
}

// Gives the new file the replaced file's owner and group where the system
// allows it (root; a member of the file's group keeps the group), then its
// permissions: changing the owner clears the set-user-ID bit, so the mode
// comes second.  Where neither is allowed the new file belongs to the saving
// user, as any file the user makes.
void keepOwnerAndMode(int fd, const struct stat& old) {
  [[maybe_unused]] const bool kept = ::fchown(fd, old.st_uid, old.st_gid) == 0 ||
                                     ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0;
  ::fchmod(fd, old.st_mode & 07777);
}

// Makes the rename itself durable.  File systems that cannot sync a folder
// answer EINVAL; only a real I/O error counts as a failure.
bool syncFolder(int folder, std::string* error) {
  Descriptor fd(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid()) return true;  // a folder we may write but not read: nothing more we can do
  const bool synced = ::fsync(fd.get()) == 0 || errno != EIO;
  return synced || fail(error, "the file was written but its folder could not be synced");
}

// Gives the temporary the target's name.  A name that was free at the
// look-up is taken only while still free: a file or link created there in
// the meantime is looked at again rather than blindly replaced.
bool renameIntoPlace(int folder, const std::string& temporary, const std::string& name,
                     bool replacing) {
#ifdef RENAME_NOREPLACE  // not in every C library (WebAssembly's has none)
  if (!replacing) {
    if (::renameat2(folder, temporary.c_str(), folder, name.c_str(), RENAME_NOREPLACE) == 0)
      return true;
    if (errno != EINVAL && errno != ENOSYS) return false;  // file systems without it
  }
#else
  static_cast<void>(replacing);
#endif
  return ::renameat(folder, temporary.c_str(), folder, name.c_str()) == 0;
}

Outcome replaceByRename(const Place& place, std::span<const std::uint8_t> bytes,
                        std::string* error, FolderSync folderSync) {
  const int folder = place.folder.get();
  const bool replacing = place.node == Node::Regular;
  // A file the user may not write to is refused, as opening it for writing
  // would be; the rename below would otherwise replace it.
  if (replacing && ::faccessat(folder, place.name.c_str(), W_OK, 0) != 0)
    return errno == ENOENT ? Outcome::LookAgain
                           : failed(error, "cannot write " + place.shown.string());

  const fs::path shownFolder =
      place.shown.has_parent_path() ? place.shown.parent_path() : fs::path(".");
  std::string name = temporaryName(place.name, nameLimit(folder));
  // A replacement starts private and takes the old file's mode below; a new
  // file gets the user's umask and the folder's default access rules.
  Temporary temporary = createTemporary(folder, name, replacing ? 0600 : 0666);
  if (!temporary.fd.valid()) return failed(error, "cannot create a file in " + shownFolder.string());
  if (replacing) keepOwnerAndMode(temporary.fd.get(), place.found);
  reachStage(SaveStage::TemporaryCreated);

  const bool written = writeAll(temporary.fd.get(), bytes.data(), bytes.size());
  if (written) reachStage(SaveStage::Written);
  const bool synced = written && ::fsync(temporary.fd.get()) == 0;
  if (synced) reachStage(SaveStage::Synced);
  const bool complete = closeAfter(temporary.fd, synced);
  const bool renamed = complete && renameIntoPlace(folder, name, place.name, replacing);
  const int reason = errno;
  if (!renamed) ::unlinkat(folder, name.c_str(), 0);
  forgetTemporary(temporary.slot);
  errno = reason;
  if (!complete) return failed(error, "cannot write " + place.shown.string());
  if (!renamed) {
    if (errno == EEXIST && !replacing) return Outcome::LookAgain;
    return failed(error, "cannot replace " + place.shown.string());
  }
  return (folderSync == FolderSync::Deferred || syncFolder(folder, error)) ? Outcome::Written
                                                                        : Outcome::Failed;
}

}  // namespace

void setSaveStageHook(SaveStageHook hook) { stageHook.store(hook); }

bool writeFileAtomically(const fs::path& requested, std::span<const std::uint8_t> bytes,
                         std::string* error, FolderSync folderSync) {
  if (requested.empty() || !requested.has_filename()) {
    errno = requested.empty() ? ENOENT : EISDIR;
    return fail(error, "cannot write \"" + requested.string() + "\"");
  }
  removeTemporariesOnSignals();
  // A name whose node changes between the look-up and the open is looked up
  // again: what is written always goes to what the latest look-up found.
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    Place place;
    if (!lookUp(requested, place, error)) return false;
    reachStage(SaveStage::LookedUp);
    Outcome outcome = Outcome::LookAgain;
    switch (place.node) {
      case Node::Missing:
      case Node::Regular:
        outcome = replaceByRename(place, bytes, error, folderSync);
        break;
      case Node::Special:
        outcome = writeIntoNode(place, bytes, error);
        break;
      case Node::ProcessLink:
        outcome = writeThroughProcessLink(place, bytes, error);
        break;
    }
    if (outcome != Outcome::LookAgain) return outcome == Outcome::Written;
  }
  if (error) *error = "cannot write " + requested.string() + ": it kept changing while it was saved";
  return false;
}

bool syncFolderOf(const fs::path& file, std::string* error) {
  Place place;
  if (!lookUp(file, place, error)) return false;
  return syncFolder(place.folder.get(), error);
}

bool writeToDescriptor(int fd, std::span<const std::uint8_t> bytes, std::string* error) {
  return writeAll(fd, bytes.data(), bytes.size()) || fail(error, "cannot write");
}

ReadAllStatus readAll(int fd, std::size_t limit, std::vector<std::uint8_t>& bytes) {
  constexpr std::size_t kChunk = 64 * 1024;
  bytes.clear();
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    // A regular file says its size; /proc files say 0 and are read anyway.
    if (static_cast<std::uintmax_t>(st.st_size) > limit) return ReadAllStatus::TooLarge;
    bytes.reserve(static_cast<std::size_t>(st.st_size) + 1);
  }
  for (;;) {
    const std::size_t have = bytes.size();
    if (have > limit) {
      bytes.clear();
      return ReadAllStatus::TooLarge;
    }
    const std::size_t want = std::min(kChunk, limit + 1 - have);
    bytes.resize(have + want);
    const ssize_t n = ::read(fd, bytes.data() + have, want);
    if (n < 0) {
      bytes.resize(have);
      if (errno == EINTR) continue;
      const int reason = errno;
      bytes.clear();
      errno = reason;
      return ReadAllStatus::Failed;
    }
    bytes.resize(have + static_cast<std::size_t>(n));
    if (n == 0) return ReadAllStatus::Ok;
  }
}

ReadAllStatus readWholeFile(const fs::path& path, std::size_t limit,
                            std::vector<std::uint8_t>& bytes, std::string* error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    if (error) *error = std::strerror(errno);
    return ReadAllStatus::Failed;
  }
  const ReadAllStatus status = readAll(fd, limit, bytes);
  const int reason = errno;
  ::close(fd);
  if (status == ReadAllStatus::Failed && error) *error = std::strerror(reason);
  return status;
}

}  // namespace mottler
