#include "document/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace mottler {

namespace {

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

}  // namespace

bool writeFileAtomically(const std::filesystem::path& requested,
                         std::span<const std::uint8_t> bytes, std::string* error) {
  namespace fs = std::filesystem;
  // A link is written through: the file it names receives the bytes and the
  // link stays a link.
  std::error_code ec;
  fs::path target = requested;
  if (fs::is_symlink(fs::symlink_status(requested, ec))) {
    const fs::path resolved = fs::weakly_canonical(requested, ec);
    if (!ec) target = resolved;
  }
  // A file the user may not write to is refused, as opening it for writing
  // would be; the rename below would otherwise replace it.
  if (fs::exists(target, ec) && ::access(target.c_str(), W_OK) != 0)
    return fail(error, "cannot write " + target.string());

  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::string hidden = ".";
  hidden += target.filename().string();
  hidden += ".XXXXXX";
  std::string pattern = (folder / hidden).string();
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) return fail(error, "cannot create a file in " + folder.string());

  // Keep the permissions of a file being replaced; a new file gets the usual
  // permissions for the user's umask.
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0) {
    ::fchmod(fd, old.st_mode & 07777);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }

  const bool written = writeAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
  const int savedErrno = errno;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed) {
    errno = written ? errno : savedErrno;
    ::unlink(pattern.c_str());
    return fail(error, "cannot write " + target.string());
  }
  if (::rename(pattern.c_str(), target.c_str()) != 0) {
    const int renameErrno = errno;
    ::unlink(pattern.c_str());
    errno = renameErrno;
    return fail(error, "cannot replace " + target.string());
  }
  return true;
}

}  // namespace mottler
