#include "document/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <random>
#include <string_view>

namespace mottler {

namespace fs = std::filesystem;

namespace {

// Links followed before giving up, as the kernel does (ELOOP).
constexpr int kMaxLinkHops = 40;
constexpr std::string_view kTemporarySuffix = ".XXXXXX";

bool fail(std::string* error, const std::string& what) {
  if (error) *error = what + ": " + std::strerror(errno);
  return false;
}

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

// Follows the symbolic links at the end of the path to the name that really
// receives the file.  That name need not exist: a dangling link names the
// file to create.  Links in the folders above are left to the kernel.
bool resolveFinalLinks(fs::path& path, std::string* error) {
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
      return errno == ENOENT || fail(error, "cannot write " + path.string());
    if (!S_ISLNK(st.st_mode)) return true;
    std::string to(PATH_MAX, '\0');
    const ssize_t n = ::readlink(path.c_str(), to.data(), to.size());
    if (n < 0) return fail(error, "cannot follow the link " + path.string());
    if (static_cast<std::size_t>(n) >= to.size()) {
      errno = ENAMETOOLONG;
      return fail(error, "cannot follow the link " + path.string());
    }
    to.resize(static_cast<std::size_t>(n));
    const fs::path next(to);
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  errno = ELOOP;
  return fail(error, "cannot write " + path.string());
}

// The longest file name the folder's file system takes.
std::size_t nameLimit(const fs::path& folder) {
  const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
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

// Creates a new file named after the pattern, its trailing X's replaced by
// random letters and digits.
int createTemporary(std::string& pattern, mode_t mode) {
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device entropy;
  std::mt19937 random(entropy());
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
  const std::size_t start = pattern.size() - (kTemporarySuffix.size() - 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    for (std::size_t i = start; i < pattern.size(); ++i) pattern[i] = kLetters[pick(random)];
    const int fd = ::open(pattern.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Gives the new file the replaced file's owner and group where the system
// allows it (root; a member of the file's group keeps the group), then its
// permissions: changing the owner clears the set-user-ID bit, so the mode
// comes second.  false when the new file belongs to the saving user.
bool keepOwnerAndMode(int fd, const struct stat& old) {
  const bool kept = ::fchown(fd, old.st_uid, old.st_gid) == 0 ||
                    ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0;
  ::fchmod(fd, old.st_mode & 07777);
  return kept;
}

// Makes the rename itself durable.  File systems that cannot sync a folder
// answer EINVAL; only a real I/O error counts as a failure.
bool syncFolder(const fs::path& folder, std::string* error) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return true;  // a folder we may write but not read: nothing more we can do
  const bool synced = ::fsync(fd) == 0 || errno != EIO;
  const int savedErrno = errno;
  ::close(fd);
  errno = savedErrno;
  return synced || fail(error, "the file was written but its folder could not be synced");
}

// Devices, FIFOs, terminals and /proc links are written in place: there is
// nothing to keep safe and replacing the node would break it.  A regular
// file reached here (through a link the kernel resolves by itself) is
// truncated and written.
bool writeInPlace(const fs::path& target, std::span<const std::uint8_t> bytes, bool regular,
                  std::string* error) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | (regular ? O_TRUNC : 0));
  if (fd < 0) return fail(error, "cannot open " + target.string());
  const bool written = writeAll(fd, bytes.data(), bytes.size()) && (!regular || ::fsync(fd) == 0);
  const int writeErrno = errno;
  const bool closed = ::close(fd) == 0;
  if (written && closed) return true;
  if (!written) errno = writeErrno;
  return fail(error, "cannot write " + target.string());
}

bool replaceAtomically(const fs::path& target, std::span<const std::uint8_t> bytes,
                       const struct stat* old, std::string* error, FolderSync folderSync) {
  // A file the user may not write to is refused, as opening it for writing
  // would be; the rename below would otherwise replace it.
  if (old && ::access(target.c_str(), W_OK) != 0)
    return fail(error, "cannot write " + target.string());

  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::string temporary =
      (folder / temporaryName(target.filename().string(), nameLimit(folder))).string();
  // A replacement starts private and takes the old file's mode below; a new
  // file gets the user's umask and the folder's default access rules.
  const int fd = createTemporary(temporary, old ? 0600 : 0666);
  if (fd < 0) return fail(error, "cannot create a file in " + folder.string());
  if (old) keepOwnerAndMode(fd, *old);

  const bool written = writeAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
  const int writeErrno = errno;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed) {
    if (!written) errno = writeErrno;
    const int reason = errno;
    ::unlink(temporary.c_str());
    errno = reason;
    return fail(error, "cannot write " + target.string());
  }
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    const int reason = errno;
    ::unlink(temporary.c_str());
    errno = reason;
    return fail(error, "cannot replace " + target.string());
  }
  return folderSync == FolderSync::Deferred || syncFolder(folder, error);
}

}  // namespace

bool writeFileAtomically(const fs::path& requested, std::span<const std::uint8_t> bytes,
                         std::string* error, FolderSync folderSync) {
  if (requested.empty() || !requested.has_filename()) {
    errno = requested.empty() ? ENOENT : EISDIR;
    return fail(error, "cannot write \"" + requested.string() + "\"");
  }
  // What the name leads to, links followed.
  struct stat reached {};
  const bool exists = ::stat(requested.c_str(), &reached) == 0;
  if (!exists && errno != ENOENT) return fail(error, "cannot write " + requested.string());
  if (exists && S_ISDIR(reached.st_mode)) {
    errno = EISDIR;
    return fail(error, "cannot write " + requested.string());
  }
  if (exists && !S_ISREG(reached.st_mode)) return writeInPlace(requested, bytes, false, error);

  fs::path target = requested;
  if (!resolveFinalLinks(target, error)) return false;
  if (exists) {
    // A link the kernel resolves by itself (/proc/self/fd/N to a regular
    // file) has no name of its own to rename over: write in place.
    struct stat named {};
    if (::lstat(target.c_str(), &named) != 0 || !sameFile(named, reached))
      return writeInPlace(requested, bytes, true, error);
  }
  return replaceAtomically(target, bytes, exists ? &reached : nullptr, error, folderSync);
}

bool syncFolderOf(const fs::path& file, std::string* error) {
  fs::path target = file;
  if (!resolveFinalLinks(target, error)) return false;
  return syncFolder(target.has_parent_path() ? target.parent_path() : fs::path("."), error);
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
