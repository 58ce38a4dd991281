// volacor._volacor.components(): the engine's component table as plain records, which
// the package turns into a data frame.
#include <string>

#include <pybind11/stl.h>

#include "python/src/bindings.h"
#include "thermo/component_database.h"

namespace py = pybind11;

namespace volacor_python {
namespace {

// 74828 -> "74-82-8": the check digit, two digits before it, the rest in front.
std::string CasText(long long cas) {
  if (cas <= 0) return {};
  std::string digits = std::to_string(cas);
  if (digits.size() < 4) return digits;
  return digits.substr(0, digits.size() - 3) + "-" + digits.substr(digits.size() - 3, 2) + "-" + digits.back();
}

py::list ComponentRecords() {
  py::list records;
  for (const thermo::Component& c : thermo::ComponentDatabase::builtin().components()) {
    py::dict record;
    record["name"] = c.name;
    record["aliases"] = c.aliases;
    record["formula"] = c.formula;
    record["cas"] = CasText(c.cas);
    record["host_id"] = c.host_id;
    record["mw_g_per_mol"] = c.mw_g_per_mol;
    record["tc_K"] = c.tc_K;
    record["pc_kPa"] = c.pc_kPa;
    record["omega"] = c.omega;
    record["tb_K"] = c.tb_K;
    record["liquid_density_kg_per_m3_15C"] = c.liquid_density_kg_per_m3_15C;
    records.append(std::move(record));
  }
  return records;
}

}  // namespace

void BindComponents(py::module_& module) {
  module.def("components", &ComponentRecords,
             "The component table: one dict per component (name, aliases, formula, CAS number, host id, constants).");
}

}  // namespace volacor_python
