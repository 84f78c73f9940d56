#include "sketra/base/units.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "sketra/base/state.h"

namespace sketra {

namespace {

constexpr std::size_t kBlock = std::size_t(1) << 20;  // bytes read at a time

}  // namespace

LineReader::LineReader() = default;
LineReader::~LineReader() { close(); }

bool LineReader::open(const std::string& path) {
  close();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  path_ = path;
  size_ = S_ISREG(st.st_mode) ? std::uint64_t(st.st_size) : UINT64_MAX;
#ifdef POSIX_FADV_SEQUENTIAL
  ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
  // A file smaller than a block gets a buffer of its size (one byte more,
  // so that the first read already meets its end).
  buf_.resize(size_ < kBlock ? std::size_t(size_) + 1 : kBlock);
  rewind();
  return true;
}

void LineReader::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  path_.clear();
  size_ = 0;
  buf_.clear();
  buf_.shrink_to_fit();
  buf_start_ = 0;
  buf_len_ = 0;
  pos_ = 0;
  record_ = 0;
  have_last_ = false;
}

// Loads the buffer with the file from offset `from`. False when nothing is
// there (end of file or read error).
bool LineReader::fill(std::uint64_t from) {
  buf_start_ = from;
  buf_len_ = 0;
  while (buf_len_ < buf_.size()) {
    ssize_t got = ::pread(fd_, buf_.data() + buf_len_, buf_.size() - buf_len_, off_t(from + buf_len_));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    buf_len_ += std::size_t(got);
  }
  if (buf_len_ < buf_.size() && size_ == UINT64_MAX) size_ = from + buf_len_;
  return buf_len_ > 0;
}

bool LineReader::next(std::string_view& line) {
  if (fd_ < 0) return false;
  for (;;) {
    if (pos_ < buf_start_ || pos_ >= buf_start_ + buf_len_) {
      if (!fill(pos_)) return false;
    }
    std::size_t off = std::size_t(pos_ - buf_start_);
    const char* begin = buf_.data() + off;
    std::size_t avail = buf_len_ - off;
    const void* nl = avail ? std::memchr(begin, '\n', avail) : nullptr;
    bool at_eof = buf_start_ + buf_len_ >= size_ || buf_len_ < buf_.size();
    if (nl || (at_eof && avail > 0)) {
      std::size_t len = nl ? std::size_t(static_cast<const char*>(nl) - begin) : avail;
      line = std::string_view(begin, len);
      last_start_ = pos_;
      have_last_ = true;
      pos_ += len + (nl ? 1 : 0);
      ++record_;
      return true;
    }
    if (at_eof) return false;
    // The record runs past the buffer: reload from its start, growing the
    // buffer when one record is longer than it.
    if (off == 0) buf_.resize(buf_.size() * 2);
    if (!fill(pos_)) return false;
  }
}

std::uint64_t LineReader::previous_record_start(std::uint64_t at) {
  if (at == 0) return 0;
  std::uint64_t end = at;
  char c = 0;
  if (::pread(fd_, &c, 1, off_t(at - 1)) == 1 && c == '\n') end = at - 1;  // skip its line end
  char chunk[4096];
  while (end > 0) {
    std::uint64_t from = end > sizeof chunk ? end - sizeof chunk : 0;
    ssize_t got = ::pread(fd_, chunk, std::size_t(end - from), off_t(from));
    if (got <= 0) return 0;
    for (std::uint64_t i = end; i > from; --i)
      if (chunk[i - 1 - from] == '\n') return i;
    end = from;
  }
  return 0;
}

void LineReader::backspace() {
  if (fd_ < 0 || record_ == 0) return;
  pos_ = have_last_ ? last_start_ : previous_record_start(pos_);
  have_last_ = false;
  --record_;
}

void LineReader::rewind() {
  pos_ = 0;
  record_ = 0;
  have_last_ = false;
}

// ---- The unit table --------------------------------------------------------

std::array<FileUnit, kMaxUnit + 1> file_units;

namespace {

FileUnit* find(int unit) {
  if (unit < 0 || unit > kMaxUnit) return nullptr;
  return &file_units[std::size_t(unit)];
}

std::FILE* output_of(int unit) {
  if (unit == kStdoutUnit) return stdout;
  FileUnit* u = find(unit);
  return u ? u->out : nullptr;
}

const std::string kNoName;

// Remembers the first failure of an output unit.
void note_failure(int unit) {
  FileUnit* u = find(unit);
  if (u && u->out && u->error == 0) u->error = errno != 0 ? errno : EIO;
}

}  // namespace

bool unit_open(int unit, const std::string& path, FileStatus status) {
  FileUnit* u = find(unit);
  if (!u || unit == kStdoutUnit) return false;
  unit_close(unit);
  if (status == FileStatus::old_file) {
    auto r = std::make_unique<LineReader>();
    if (!r->open(path)) return false;
    u->reader = std::move(r);
  } else {
    std::FILE* f = std::fopen(path.c_str(), status == FileStatus::append ? "ae" : "we");
    if (!f) return false;
    std::setvbuf(f, nullptr, _IOFBF, 1 << 16);
    u->out = f;
  }
  u->name = path;
  return true;
}

bool unit_is_open(int unit) {
  if (unit == kStdoutUnit) return true;
  FileUnit* u = find(unit);
  return u && (u->reader || u->out);
}

const std::string& unit_name(int unit) {
  FileUnit* u = find(unit);
  return u ? u->name : kNoName;
}

int unit_close(int unit) {
  FileUnit* u = find(unit);
  if (!u || unit == kStdoutUnit) return 0;
  u->reader.reset();
  if (u->out) {
    errno = 0;
    if (std::fclose(u->out) != 0 && u->error == 0) u->error = errno != 0 ? errno : EIO;
  }
  int error = u->error;
  u->out = nullptr;
  u->error = 0;
  u->open_line = false;
  u->name.clear();
  return error;
}

int unit_close_or_remove(int unit) {
  const std::string path = unit_name(unit);
  const int error = unit_close(unit);
  std::error_code ec;
  if (error != 0 && std::filesystem::is_regular_file(path, ec)) std::filesystem::remove(path, ec);
  return error;
}

bool unit_read(int unit, std::string_view& line) {
  LineReader* r = unit_reader(unit);
  return r && r->next(line);
}

void unit_backspace(int unit) {
  if (LineReader* r = unit_reader(unit)) r->backspace();
}

void unit_rewind(int unit) {
  if (LineReader* r = unit_reader(unit)) r->rewind();
}

LineReader* unit_reader(int unit) {
  FileUnit* u = find(unit);
  return u ? u->reader.get() : nullptr;
}

namespace {

void set_open_line(int unit, bool open) {
  if (FileUnit* u = find(unit)) u->open_line = open;
}

}  // namespace

void unit_write(int unit, std::string_view text) {
  set_open_line(unit, false);
  if (std::FILE* f = output_of(unit)) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fputc('\n', f) == EOF)
      note_failure(unit);
  }
}

void unit_write_part(int unit, std::string_view text) {
  if (!text.empty()) set_open_line(unit, true);
  if (std::FILE* f = output_of(unit)) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), f) != text.size()) note_failure(unit);
  }
}

void unit_end_line(int unit) {
  set_open_line(unit, false);
  if (std::FILE* f = output_of(unit)) {
    errno = 0;
    if (std::fputc('\n', f) == EOF) note_failure(unit);
  }
}

void unit_new_record(int unit) {
  const FileUnit* u = find(unit);
  if (u && u->open_line) unit_end_line(unit);
}

void unit_flush(int unit) {
  if (std::FILE* f = output_of(unit)) {
    errno = 0;
    if (std::fflush(f) != 0) note_failure(unit);
  }
}

int unit_error(int unit) {
  FileUnit* u = find(unit);
  return u && u->out ? u->error : 0;
}

void unit_close_all() {
  for (int i = 0; i <= kMaxUnit; ++i) unit_close(i);
  std::fflush(stdout);
}

}  // namespace sketra
