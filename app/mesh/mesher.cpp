// Running the mesh generator and taking over what it wrote.
//
// The generator writes its mesh under the next name (river -> river.1).
// A file of that name may be left from an earlier run, so a file counts as
// written by this run only when it is there afterwards and was not there
// before, or was replaced or rewritten meanwhile (its inode, change time or
// modification time differ). The file system's clock is coarse, so a
// comparison with the time the run started could take a file written just
// after the start for an old one; the stamps cannot.

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "app/formats/triangle_files.h"
#include "app/mesh/mesh.h"
#include "app/mesh/mesh_internal.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/control/control.h"
#include "sketra/ui/dialogs.h"

namespace korvel {

namespace {

// What identifies one version of a file.
struct Stamp {
  bool exists = false;
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  timespec mtime{}, ctime{};
};

Stamp stamp(const std::string& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
  return {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

bool same_time(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// The file is there and is not the version stamped before the run.
bool written_since(const Stamp& before, const std::string& file) {
  const Stamp now = stamp(file);
  if (!now.exists) return false;
  if (!before.exists) return true;
  return now.dev != before.dev || now.ino != before.ino || now.size != before.size ||
         !same_time(now.mtime, before.mtime) || !same_time(now.ctime, before.ctime);
}

void trouble(const std::string& program, const std::string& why) {
  const std::string name = std::filesystem::path(program).filename().string();
  sketra::grmesg("*** Trouble running " + name + ": " + why + "***");
}

}  // namespace

std::string mesher_program() {
  if (const char* env = std::getenv("KORVEL_TRIANGLE"); env && !sketra::trim(env).empty()) return env;
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || self.empty()) return "meshgen";
  return (self.parent_path() / "meshgen").string();
}

bool mesh_generate(const std::string& switches) {
  const std::string base = mod_mesh.mesh_name;
  if (base.empty()) return false;
  const std::string out = mesh_next(base);
  const std::string node = out + ".node", ele = out + ".ele", poly = out + ".poly";
  const Stamp before_node = stamp(node), before_ele = stamp(ele), before_poly = stamp(poly);

  const std::vector<std::string> argv = {mesher_program(), switches, base};
  mesh_settings.line = argv[0] + " " + switches + " " + base;
  if (sketra::dialogs.log_unit >= 0) sketra::unit_write(sketra::dialogs.log_unit, " " + mesh_settings.line);
  sketra::grflip();
  const int status = sketra::run_command(argv);
  if (status != 0) {
    trouble(argv[0], status < 0 ? "the program could not be run" : "exit status " + std::to_string(status));
    return false;
  }
  for (const auto& [file, before] : {std::pair{node, before_node}, std::pair{ele, before_ele}}) {
    if (!written_since(before, file)) {
      trouble(argv[0], file + " not written");
      return false;
    }
  }
  MeshStore fresh;
  BeamProgress bar;
  const FileFilter this_run = [&](const std::string& f) { return f != poly || written_since(before_poly, f); };
  if (FileResult res = read_mesh(out, fresh, bar, this_run); !res.ok) {
    trouble(argv[0], res.message);
    return false;
  }
  const std::string old = mod_mesh.mesh_name;
  mesh_commit(std::move(fresh));
  mod_mesh.mesh_old = old;
  ++mod_mesh.i_mesh;
  show_element_count();
  return true;
}

}  // namespace korvel
