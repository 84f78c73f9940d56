#include "sketra/base/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

namespace sketra {

bool write_lines_replacing(const std::filesystem::path& target, std::span<const std::string> lines) {
  std::filesystem::path fresh = target;
  fresh += ".new";
  std::error_code ec;
  {
    std::ofstream out(fresh, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    for (const std::string& l : lines) out << l << '\n';
    out.flush();
    if (!out) {
      out.close();
      std::filesystem::remove(fresh, ec);
      return false;
    }
  }
  std::filesystem::rename(fresh, target, ec);
  if (!ec) return true;
  std::filesystem::remove(fresh, ec);
  return false;
}


// ---- FileReplacement ---------------------------------------------------------

namespace {

// fsync of a file or folder by name; the error number, 0 when done.
int sync_path(const char* path, int flags) {
  const int fd = ::open(path, flags | O_CLOEXEC);
  if (fd < 0) return errno;
  int error = ::fsync(fd) == 0 ? 0 : errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  return error;
}

}  // namespace

bool FileReplacement::fail(int error) {
  reason_ = std::strerror(error != 0 ? error : EIO);
  discard();
  return false;
}

bool FileReplacement::create(const std::filesystem::path& target) {
  discard();
  reason_.clear();
  target_ = target;
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return fail(errno);
  temporary_ = name.data();
  // The new file gets the permissions of the file it replaces, or those of
  // a newly created file (0666 less the umask).
  struct stat st {};
  mode_t mode = 0;
  if (::stat(target.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  int error = ::fchmod(fd, mode) == 0 ? 0 : errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) return fail(error);
  return true;
}

bool FileReplacement::commit() {
  if (temporary_.empty()) return fail(ENOENT);
  if (const int e = sync_path(temporary_.c_str(), O_RDONLY); e != 0) return fail(e);
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) return fail(errno);
  temporary_.clear();
  const std::filesystem::path folder = target_.has_parent_path() ? target_.parent_path() : std::filesystem::path(".");
  sync_path(folder.c_str(), O_RDONLY | O_DIRECTORY);  // the rename is done; a folder sync is best effort
  return true;
}

void FileReplacement::discard() {
  if (temporary_.empty()) return;
  ::unlink(temporary_.c_str());
  temporary_.clear();
}

}  // namespace sketra
