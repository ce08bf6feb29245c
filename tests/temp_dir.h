// A fresh folder under the system's temporary folder, removed with all it
// holds (also what a test made read-only) when the test ends.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace mottler {

struct TempDir {
  std::filesystem::path path;

  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mottler-test-XXXXXX").string();
    path = ::mkdtemp(pattern.data());
  }
  ~TempDir() {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::permissions(path, fs::perms::owner_all, ec);
    for (auto it = fs::recursive_directory_iterator(path, ec); !ec && it != fs::end(it);
         it.increment(ec))
      if (it->is_directory(ec) && !it->is_symlink(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string operator/(const std::string& name) const { return (path / name).string(); }

  // How many names the folder holds: a failed or finished write leaves
  // exactly the files it should.
  int count() const {
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(path)) {
      (void)entry;
      ++n;
    }
    return n;
  }
};

}  // namespace mottler
