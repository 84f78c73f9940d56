// The command line: switch letters, output names and the help text.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "meshgen/meshgen.h"
#include "sketra/base/textfmt.h"

namespace meshgen {

namespace {

// Length of the number (digits and at most one ".") at the start of `s`.
std::size_t number_length(std::string_view s) {
  std::size_t n = 0;
  bool point = false;
  while (n < s.size() && (std::isdigit(static_cast<unsigned char>(s[n])) || (s[n] == '.' && !point))) {
    point = point || s[n] == '.';
    ++n;
  }
  return n;
}

// Reads the number after a switch letter; false when there is none.
bool take_number(std::string_view word, std::size_t& i, double& v) {
  const std::size_t n = number_length(word.substr(i));
  if (n == 0) return false;
  const bool ok = sketra::parse_real(word.substr(i, n), v) && std::isfinite(v);
  i += n;
  return ok;
}

}  // namespace

Options parse_switches(std::string_view word) {
  Options o;
  bool bare_a = false;
  for (std::size_t i = 0; i < word.size();) {
    const char c = word[i++];
    double v = 0;
    switch (c) {
      case 'p': o.poly = true; break;
      case 'c': o.convex_hull = true; break;
      case 'r': o.refine = true; break;
      case 'A': o.regional_attributes = true; break;
      case 'e': o.edges = true; break;
      case 'n': o.neighbours = true; break;
      case 'z': o.zero_based = true; break;
      case 'Q': o.quiet = true; break;
      case 'V': o.verbose = true; break;
      case 'q':
        o.quality = true;
        if (take_number(word, i, v) && v > 0) o.min_angle = v;
        if (o.min_angle > kMaxMinAngle) {
          o.min_angle = kMaxMinAngle;
          o.angle_clamped = true;
        }
        break;
      case 'a':
        o.area = true;
        if (take_number(word, i, v) && v > 0) {
          o.max_area = v;
        } else {
          bare_a = true;
        }
        break;
      default:
        // Unknown letters (and numbers that belong to them) do nothing.
        i += number_length(word.substr(i));
        break;
    }
  }
  if (bare_a) {
    o.area_file = o.refine;
    o.region_areas = !o.refine && o.poly;
  }
  if (o.quiet) o.verbose = false;
  return o;
}

std::string next_name(std::string_view base) {
  const std::size_t dot = base.rfind('.');
  if (dot != std::string_view::npos && dot + 1 < base.size()) {
    std::string_view digits = base.substr(dot + 1);
    const bool all_digits = digits.size() <= 9 && std::all_of(digits.begin(), digits.end(), [](char ch) {
                              return ch >= '0' && ch <= '9';
                            });
    const bool in_name = base.find('/', dot) == std::string_view::npos;
    if (all_digits && in_name) {
      long n = 0;
      std::from_chars(digits.data(), digits.data() + digits.size(), n);
      return std::string(base.substr(0, dot + 1)) + std::to_string(n + 1);
    }
  }
  return std::string(base) + ".1";
}

std::string strip_suffix(std::string_view name) {
  for (std::string_view suffix : {".node", ".poly", ".ele", ".area"}) {
    if (name.size() > suffix.size() && name.ends_with(suffix)) {
      return std::string(name.substr(0, name.size() - suffix.size()));
    }
  }
  return std::string(name);
}

std::string usage_text() {
  return "usage: meshgen -<switches> <base>\n"
         "Reads <base>.node (and <base>.poly, <base>.ele, <base>.area as the switches ask)\n"
         "and writes the mesh to <out>.node, <out>.ele and <out>.poly, where <out> is\n"
         "<base> with a trailing \".N\" counted up to \".N+1\", or <base>.1.\n"
         "Switches, one word after a single \"-\", in any order:\n"
         "  p         read <base>.poly: segments, holes and regions (no .poly: no segments)\n"
         "  c         mesh the convex hull of the vertices; its edges become segments\n"
         "  q[angle]  quality mesh: no angle below 20 degrees, or below <angle>;\n"
         "            angles above 20.7 degrees are taken as 20.7, the largest bound\n"
         "            for which the refinement is guaranteed to finish\n"
         "  a<area>   no triangle larger than <area>\n"
         "  a         with r: per-element limits from <base>.area (<= 0: none);\n"
         "            with p: the area limits of the .poly regions\n"
         "  r         refine the mesh <base>.node/<base>.ele; the mesh boundary stays\n"
         "  A         regional attributes from the .poly regions (written in the .ele)\n"
         "  e         also write <out>.edge\n"
         "  n         also write <out>.neigh\n"
         "  z         number the output from 0\n"
         "  Q         quiet: nothing but errors\n"
         "  V         statistics: counts, angles, areas and times\n"
         "Other letters are ignored. Exit status 0 on success, 1 on bad input.\n";
}

std::string Error::text() const {
  std::string s = file;
  if (!file.empty() && line > 0) s += ":" + std::to_string(line);
  if (!s.empty()) s += ": ";
  return s + message;
}

}  // namespace meshgen
