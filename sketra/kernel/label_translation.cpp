// Translation of plot labels.

#include <array>
#include <utility>

#include "sketra/base/textfmt.h"
#include "sketra/kernel/plot.h"

namespace sketra {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 37> kGerman = {{
    {"Bed Level", "Sohlenlage"},
    {"Bed Shear", "Sohlenschubspannung"},
    {"Critical Level", "krit. Hoehe"},
    {"Depth", "Tiefe"},
    {"Distance", "Distanz"},
    {"Discharge", "Abfluss"},
    {"Energy Level", "Energielinie"},
    {"Flow", "spezifischer Fluss"},
    {"Flow Depth", "Fliesstiefe"},
    {"Flow Velocity", "Fliessgeschwindigkeit"},
    {"Flow Vectors", "Fliessvektoren"},
    {"Left Dam", "Linker Damm"},
    {"Right Dam", "Rechter Damm"},
    {"Level", "Kote"},
    {"Froude Number", "Froude Zahl"},
    {"Aggradation", "Auflandung"},
    {"Bed", "Sohle"},
    {"Left Wall", "Ufer links"},
    {"Pressurized Flow", "Druckabfluss"},
    {"Arrival Time", "Eintreffzeit"},
    {"Backwater Curve", "Staukurve"},
    {"Velocity Vectors", "Geschwindigkeitsvektoren"},
    {"Shear Velocity", "Schubspannungsgeschwindigkeit"},
    {"Velocity", "Fliessgeschwindigkeit"},
    {"Water Level", "Wasserspiegel"},
    {"Rock", "Fels"},
    {"Armoring", "Deckschicht"},
    {"Pressure Flow", "Druckabfluss"},
    {"Bed Roughness", "Sohlenrauigkeit"},
    {"Maximum Specific Flow", "max. spezifischer Fluss"},
    {"Mean Bed", "mittl. Sohle"},
    {"Bridge Deck", "Bruecken UK"},
    {"Longitudinal Profile", "Laengenprofil"},
    {"Sediment Load", "Geschiebefracht"},
    {"Maximum Flow Depth", "maximale Fliesstiefe"},
    {"Return Period", "Wiederkehrperiode"},
    {"Right Wall", "Ufer rechts"},
}};

constexpr size_t kNameWidth = 64;
constexpr size_t kUnitWidth = 20;

}  // namespace

// The label is split at its first "[" into a name (64 characters at most)
// and a unit part (20 at most); language 2 replaces a known English name by
// its German counterpart. The result is the name, a blank and the unit part
// (either alone when the other is empty), blank-padded to the label's
// former length but never cut.
void grtrans(int language, std::string& label) {
  if (language == 1) return;
  const size_t bracket = label.find('[');
  std::string_view whole(label);
  std::string_view name = whole.substr(0, std::min(bracket, whole.size()));
  std::string_view unit = bracket == std::string_view::npos ? std::string_view() : whole.substr(bracket);
  name = trim_right(name.substr(0, std::min(name.size(), kNameWidth)));
  unit = trim_right(unit.substr(0, std::min(unit.size(), kUnitWidth)));
  std::string new_name(name);
  if (language == 2) {
    for (const auto& [english, german] : kGerman) {
      if (english == name) {
        new_name = german;
        break;
      }
    }
  }
  std::string out = new_name;
  if (!unit.empty()) out = new_name.empty() ? std::string(unit) : new_name + " " + std::string(unit);
  if (out.size() < label.size()) out.resize(label.size(), ' ');
  label = std::move(out);
}

}  // namespace sketra
