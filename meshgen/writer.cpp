// Writing a mesh in Triangle's layouts: .node, .ele, .poly, .edge, .neigh.
//
// Reals are written in their shortest form that reads back as the same
// double, so input co-ordinates come out as they went in and new vertices
// keep every bit. Each file is written to "<name>.part" beside its final
// name; the parts are renamed only after every file was written completely,
// and removed when anything failed.

#include <charconv>
#include <cstdio>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "meshgen/meshgen.h"

namespace meshgen {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// A text file written through a buffer; remembers the first failure.
class OutFile {
 public:
  explicit OutFile(std::string name) : name_(std::move(name)), part_(name_ + ".part") {
    file_.reset(std::fopen(part_.c_str(), "wb"));
    failed_ = !file_;
    buf_.reserve(kFlush + 256);
  }

  OutFile& integer(long long v) {
    char tmp[24];
    auto r = std::to_chars(tmp, tmp + sizeof tmp, v);
    buf_.append(tmp, r.ptr);
    return *this;
  }
  OutFile& real(double v) {
    char tmp[32];
    auto r = std::to_chars(tmp, tmp + sizeof tmp, v);
    buf_.append(tmp, r.ptr);
    return *this;
  }
  OutFile& text(std::string_view s) {
    buf_ += s;
    return *this;
  }
  // Ends a line and writes the buffer out when it is full.
  void end_line() {
    buf_ += '\n';
    if (buf_.size() >= kFlush) flush();
  }

  // Flushes and closes; false when any write failed.
  bool close() {
    flush();
    if (file_ && std::fclose(file_.release()) != 0) failed_ = true;
    return !failed_;
  }
  const std::string& name() const { return name_; }
  const std::string& part() const { return part_; }

 private:
  static constexpr std::size_t kFlush = 1 << 20;
  void flush() {
    if (!failed_ && !buf_.empty() && std::fwrite(buf_.data(), 1, buf_.size(), file_.get()) != buf_.size()) {
      failed_ = true;
    }
    buf_.clear();
  }

  std::string name_, part_;
  std::unique_ptr<std::FILE, FileCloser> file_;
  std::string buf_;
  bool failed_ = false;
};

constexpr std::string_view kSep = "  ";

void write_node(OutFile& f, const Vertices& v, int first) {
  f.integer(long(v.size())).text(kSep).integer(2).text(kSep).integer(v.nattr).text(kSep).integer(1).end_line();
  const std::size_t na = std::size_t(v.nattr);
  for (std::size_t i = 0; i < v.size(); ++i) {
    f.integer(first + long(i)).text(kSep).real(v.x(i)).text(kSep).real(v.y(i));
    for (std::size_t k = 0; k < na; ++k) f.text(kSep).real(v.attr[i * na + k]);
    f.text(kSep).integer(v.marker[i]).end_line();
  }
}

void write_ele(OutFile& f, const Mesh& m, int first) {
  const bool attr = !m.triangle_attr.empty();
  f.integer(long(m.triangles.size())).text(kSep).integer(3).text(kSep).integer(attr ? 1 : 0).end_line();
  for (std::size_t i = 0; i < m.triangles.size(); ++i) {
    f.integer(first + long(i));
    for (int c : m.triangles[i]) f.text(kSep).integer(first + c);
    if (attr) f.text(kSep).real(m.triangle_attr[i]);
    f.end_line();
  }
}

void write_segments(OutFile& f, const std::vector<Segment>& segments, int first) {
  for (std::size_t i = 0; i < segments.size(); ++i) {
    const Segment& s = segments[i];
    f.integer(first + long(i)).text(kSep).integer(first + s.a).text(kSep).integer(first + s.b);
    f.text(kSep).integer(s.marker).end_line();
  }
}

void write_poly(OutFile& f, const Mesh& m, const std::vector<std::array<double, 2>>& holes, int first) {
  f.text("0  2  0  1").end_line();
  f.integer(long(m.segments.size())).text(kSep).integer(1).end_line();
  write_segments(f, m.segments, first);
  f.integer(long(holes.size())).end_line();
  for (std::size_t i = 0; i < holes.size(); ++i) {
    f.integer(first + long(i)).text(kSep).real(holes[i][0]).text(kSep).real(holes[i][1]).end_line();
  }
}

void write_edge(OutFile& f, const Mesh& m, int first) {
  f.integer(long(m.edges.size())).text(kSep).integer(1).end_line();
  write_segments(f, m.edges, first);
}

void write_neigh(OutFile& f, const Mesh& m, int first) {
  f.integer(long(m.neighbours.size())).text(kSep).integer(3).end_line();
  for (std::size_t i = 0; i < m.neighbours.size(); ++i) {
    f.integer(first + long(i));
    for (int n : m.neighbours[i]) f.text(kSep).integer(n < 0 ? -1 : first + n);
    f.end_line();
  }
}

}  // namespace

Failure write_mesh(const std::string& base, const Mesh& mesh, const std::vector<std::array<double, 2>>& holes,
                   const Options& opt) {
  const int first = opt.zero_based ? 0 : mesh.vertices.first_number;
  std::vector<std::unique_ptr<OutFile>> files;
  auto open = [&](const char* suffix) -> OutFile& {
    files.push_back(std::make_unique<OutFile>(base + suffix));
    return *files.back();
  };
  write_node(open(".node"), mesh.vertices, first);
  write_ele(open(".ele"), mesh, first);
  write_poly(open(".poly"), mesh, holes, first);
  if (opt.edges) write_edge(open(".edge"), mesh, first);
  if (opt.neighbours) write_neigh(open(".neigh"), mesh, first);

  Failure failure;
  for (auto& f : files) {
    if (!f->close() && !failure) failure = Error{f->name(), 0, "cannot write the file"};
  }
  std::size_t renamed = 0;
  for (; !failure && renamed < files.size(); ++renamed) {
    std::error_code ec;
    std::filesystem::rename(files[renamed]->part(), files[renamed]->name(), ec);
    if (ec) failure = Error{files[renamed]->name(), 0, "cannot replace the file: " + ec.message()};
  }
  if (failure) {
    // A mesh is its files together: none stays when one could not be made.
    for (std::size_t i = 0; i < files.size(); ++i) {
      std::error_code ec;
      std::filesystem::remove(files[i]->part(), ec);
      if (i + 1 < renamed) std::filesystem::remove(files[i]->name(), ec);
    }
  }
  return failure;
}

}  // namespace meshgen
