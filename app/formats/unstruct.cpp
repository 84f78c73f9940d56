#include "app/formats/unstruct.h"

#include <vector>

#include "sketra/base/textfmt.h"

namespace korvel {

FileResult write_unstruct(TextOut& out, std::span<const float> x, std::span<const float> y, std::span<const float> z,
                          std::span<const std::int32_t> code, std::span<const Edge> edges, Origin origin,
                          Progress& progress) {
  const auto np = std::int64_t(x.size()), nseg = std::int64_t(edges.size());
  // X 12.3, Y 12.3, z 11.3 of point i (1-based).
  auto fields = [&](std::int32_t i) {
    const auto k = std::size_t(i - 1);
    sketra::append_f(out.text, double(x[k]) + origin.x, 12, 3);
    sketra::append_f(out.text, double(y[k]) + origin.y, 12, 3);
    sketra::append_f(out.text, double(z[k]), 11, 3);
  };
  auto exists = [&](std::int32_t p) { return p >= 1 && p <= np; };
  // Points written as line vertices are not written again as free points:
  // reading the file back would otherwise double them.
  std::vector<bool> on_line(std::size_t(np), false);
  Gauge gauge(progress);
  out.line(">>unstruct");
  if (nseg > 0) out.line("lines /");
  std::int32_t last = 0;  // second point of the previous edge
  for (std::int64_t k = 1; k <= nseg && out.ok(); ++k) {
    const Edge& e = edges[std::size_t(k - 1)];
    if (!exists(e.a) || !exists(e.b)) {
      last = 0;
      continue;
    }
    on_line[std::size_t(e.a - 1)] = on_line[std::size_t(e.b - 1)] = true;
    if (e.a != last) {
      fields(e.a);
      out.line(" 1");
    }
    fields(e.b);
    out.line(" 0");
    last = e.b;
    gauge(k, nseg, "writing edges");
  }
  if (np > 0) out.line("xyz /");
  for (std::int64_t i = 1; i <= np && out.ok(); ++i) {
    if (code[std::size_t(i - 1)] % 100 == 1 && !on_line[std::size_t(i - 1)]) {
      fields(std::int32_t(i));
      out.line(" /");
    }
    gauge(i, np, "writing points");
  }
  return out.finish();
}

FileResult write_edit_unstruct(TextOut& out, std::span<const float> x, std::span<const float> y,
                               std::span<const float> z, std::span<const std::int32_t> code,
                               std::span<const Edge> edges, Origin origin, Progress& progress) {
  const auto np = std::int64_t(x.size()), nseg = std::int64_t(edges.size());
  auto exists = [&](std::int32_t p) { return p >= 1 && p <= np; };
  auto fields = [&](std::int32_t i) {
    const auto k = std::size_t(i - 1);
    sketra::append_f(out.text, double(x[k]) + origin.x, 12, 3);
    sketra::append_f(out.text, double(y[k]) + origin.y, 12, 3);
    sketra::append_f(out.text, double(z[k]), 10, 3);
  };
  // A point on an edge is a line vertex and is written under "lines" only.
  std::vector<bool> on_line(std::size_t(np), false);
  for (const Edge& e : edges)
    if (exists(e.a) && exists(e.b)) on_line[std::size_t(e.a - 1)] = on_line[std::size_t(e.b - 1)] = true;
  Gauge gauge(progress);
  out.line(">>unstruct");
  bool header = false;
  for (std::int64_t i = 1; i <= np && out.ok(); ++i) {
    const auto k = std::size_t(i - 1);
    if (code[k] > 0 && code[k] % 100 == 1 && !on_line[k]) {
      if (!header) out.line("xyz /"), header = true;
      fields(std::int32_t(i));
      out.line(" /");
    }
    gauge(i, np, "writing points");
  }
  out.line("lines /");
  std::int32_t last = 0;
  for (std::int64_t k = 1; k <= nseg && out.ok(); ++k) {
    const Edge& e = edges[std::size_t(k - 1)];
    if (!exists(e.a) || !exists(e.b)) {
      last = 0;
      continue;
    }
    if (e.a != last) {
      fields(e.a);
      out.line(" 1 /");
    }
    fields(e.b);
    out.line(" 0 /");
    last = e.b;
    gauge(k, nseg, "writing edges");
  }
  return out.finish();
}

}  // namespace korvel
