#pragma once
// The component table and the binary interaction parameters, with lookup by name,
// alias, CAS number or host id.
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "thermo/component.h"

namespace thermo {

class ComponentDatabase {
 public:
  // Parses the two CSV texts (formats in thermo/data/README.md). Throws
  // std::runtime_error for malformed text, a bad number (a host id must be a whole
  // number from 0 to INT_MAX, a CAS number must fit a 64-bit integer), or unknown names in the
  // kij table.
  ComponentDatabase(std::string_view components_csv, std::string_view kij_csv);

  // The table built into the library (thermo/data at build time).
  static const ComponentDatabase& builtin();
  // The same tables read from files.
  static ComponentDatabase load_files(const std::string& components_csv_path, const std::string& kij_csv_path);

  // Finds by name or alias (case-insensitive), CAS number with or without hyphens, or
  // host id given as digits. Throws std::invalid_argument naming the key and the
  // nearest names when nothing matches (also for a number too long to be either).
  const Component& find(std::string_view key) const;
  const Component& find_by_host_id(int host_id) const;  // throws std::invalid_argument
  const Component* find_if_present(std::string_view key) const;

  // kij between two components by name; 0 where the table has no pair.
  double kij(const std::string& name_i, const std::string& name_j) const;

  const std::vector<Component>& components() const { return components_; }

 private:
  std::vector<Component> components_;
  std::unordered_map<std::string, std::size_t> by_key_;  // lower-case names and aliases
  std::unordered_map<std::string, double> kij_;          // "a|b" with a < b, lower case
};

}  // namespace thermo
