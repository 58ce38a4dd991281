#include "thermo/component_database.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "thermo/csv_reader.h"
#include "thermo/edit_distance.h"
#include "thermo/embedded_data.h"

namespace thermo {
namespace {

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string trim(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
  while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1]))) --last;
  return std::string(text.substr(first, last - first));
}

double to_double(const std::string& field, const std::string& what) {
  if (field.empty()) return 0.0;
  try {
    std::size_t used = 0;
    const double value = std::stod(field, &used);
    if (used != field.size()) throw std::invalid_argument(field);
    return value;
  } catch (const std::exception&) {
    throw std::runtime_error("component table: bad number '" + field + "' in " + what);
  }
}

// A host id: a whole number that fits an int (empty means 0, as for any number).
int to_host_id(const std::string& field, const std::string& what) {
  const double value = to_double(field, what);
  if (!(value >= 0 && value <= static_cast<double>(std::numeric_limits<int>::max())) || value != std::floor(value)) {
    throw std::runtime_error("component table: bad host id '" + field + "' in " + what +
                             " (a whole number from 0 to " + std::to_string(std::numeric_limits<int>::max()) + ")");
  }
  return static_cast<int>(value);
}

// The number a CAS key's digits make; false if it does not fit (no CAS number has
// more than 10 digits, but a key or a table field may hold anything).
bool cas_number(const std::string& digits, long long& number) {
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  return error == std::errc() && end == digits.data() + digits.size();
}

// Digits of a CAS number or a host id; false if the key holds anything else.
bool digits_only(std::string_view key, bool allow_hyphens, std::string& digits) {
  digits.clear();
  for (char c : key) {
    if (std::isdigit(static_cast<unsigned char>(c))) {
      digits.push_back(c);
    } else if (!(allow_hyphens && c == '-')) {
      return false;
    }
  }
  return !digits.empty();
}

std::string pair_key(const std::string& a, const std::string& b) {
  const std::string la = lower(a);
  const std::string lb = lower(b);
  return la < lb ? la + "|" + lb : lb + "|" + la;
}

}  // namespace

ComponentDatabase::ComponentDatabase(std::string_view components_csv, std::string_view kij_csv) {
  const CsvTable table = parse_csv(components_csv);
  const std::size_t c_id = table.column("host_id"), c_name = table.column("name"),
                    c_formula = table.column("formula"), c_aliases = table.column("aliases"),
                    c_cas = table.column("cas"), c_mw = table.column("mw_g_mol"), c_tc = table.column("tc_K"),
                    c_pc = table.column("pc_kPa"), c_omega = table.column("omega"), c_tb = table.column("tb_K"),
                    c_rho = table.column("liquid_density_kg_m3_at_15C"), c_zra = table.column("zra"),
                    c_shift = table.column("pr_volume_shift_cm3_mol");
  for (const auto& row : table.rows) {
    Component c;
    c.name = trim(row[c_name]);
    c.formula = trim(row[c_formula]);
    const std::string where = "row '" + c.name + "'";
    c.host_id = to_host_id(trim(row[c_id]), where);
    std::string digits;
    if (!digits_only(trim(row[c_cas]), true, digits)) throw std::runtime_error("component table: bad CAS in " + where);
    if (!cas_number(digits, c.cas)) {
      throw std::runtime_error("component table: CAS number '" + trim(row[c_cas]) + "' in " + where + " is too long");
    }
    c.mw_g_per_mol = to_double(row[c_mw], where);
    c.tc_K = to_double(row[c_tc], where);
    c.pc_kPa = to_double(row[c_pc], where);
    c.omega = to_double(row[c_omega], where);
    c.tb_K = to_double(row[c_tb], where);
    c.liquid_density_kg_per_m3_15C = to_double(row[c_rho], where);
    c.zra = to_double(row[c_zra], where);
    c.has_pr_shift = !row[c_shift].empty();
    c.pr_shift_m3_per_kmol = to_double(row[c_shift], where) * 1e-3;  // cm3/mol -> m3/kmol
    if (c.name.empty() || c.tc_K <= 0 || c.pc_kPa <= 0 || c.mw_g_per_mol <= 0) {
      throw std::runtime_error("component table: incomplete " + where);
    }
    std::string aliases = row[c_aliases];
    std::size_t start = 0;
    while (start <= aliases.size()) {
      const std::size_t end = std::min(aliases.find(';', start), aliases.size());
      const std::string alias = trim(std::string_view(aliases).substr(start, end - start));
      if (!alias.empty()) c.aliases.push_back(alias);
      start = end + 1;
    }
    components_.push_back(std::move(c));
  }
  for (std::size_t i = 0; i < components_.size(); ++i) {
    by_key_.emplace(lower(components_[i].name), i);
    for (const auto& alias : components_[i].aliases) by_key_.emplace(lower(alias), i);
  }

  const CsvTable pairs = parse_csv(kij_csv);
  const std::size_t k_i = pairs.column("name_i"), k_j = pairs.column("name_j"), k_v = pairs.column("kij");
  for (const auto& row : pairs.rows) {
    const std::string a = trim(row[k_i]);
    const std::string b = trim(row[k_j]);
    if (!by_key_.contains(lower(a)) || !by_key_.contains(lower(b))) {
      throw std::runtime_error("kij table: unknown component in pair " + a + ", " + b);
    }
    kij_[pair_key(a, b)] = to_double(row[k_v], "kij " + a + ", " + b);
  }
}

const ComponentDatabase& ComponentDatabase::builtin() {
  static const ComponentDatabase database(embedded::components_csv, embedded::kij_pr_csv);
  return database;
}

ComponentDatabase ComponentDatabase::load_files(const std::string& components_csv_path,
                                                const std::string& kij_csv_path) {
  return ComponentDatabase(read_text_file(components_csv_path), read_text_file(kij_csv_path));
}

const Component* ComponentDatabase::find_if_present(std::string_view key_text) const {
  const std::string key = trim(key_text);
  if (auto it = by_key_.find(lower(key)); it != by_key_.end()) return &components_[it->second];
  std::string digits;
  if (digits_only(key, true, digits)) {
    const bool has_hyphen = key.find('-') != std::string::npos;
    long long number = 0;
    // Too many digits for any CAS number or host id: nothing has it.
    if (!cas_number(digits, number)) return nullptr;
    for (const auto& c : components_) {
      if (c.cas == number) return &c;
    }
    // Short plain numbers are host ids (CAS numbers have at least five digits).
    if (!has_hyphen) {
      for (const auto& c : components_) {
        if (c.host_id == number) return &c;
      }
    }
  }
  return nullptr;
}

const Component& ComponentDatabase::find(std::string_view key) const {
  if (const Component* c = find_if_present(key)) return *c;
  // Name the three nearest names so a typo is easy to see.
  const std::string wanted = lower(trim(key));
  std::vector<std::pair<std::size_t, std::string>> ranked;
  for (const auto& c : components_) ranked.emplace_back(edit_distance_ignoring_case(wanted, c.name), c.name);
  std::sort(ranked.begin(), ranked.end());
  std::string message = "unknown component '" + std::string(key) + "'; nearest:";
  for (std::size_t i = 0; i < std::min<std::size_t>(3, ranked.size()); ++i) {
    message += (i ? ", " : " ") + ranked[i].second;
  }
  throw std::invalid_argument(message);
}

const Component& ComponentDatabase::find_by_host_id(int host_id) const {
  for (const auto& c : components_) {
    if (c.host_id == host_id) return c;
  }
  throw std::invalid_argument("unknown component host id " + std::to_string(host_id));
}

double ComponentDatabase::kij(const std::string& name_i, const std::string& name_j) const {
  const auto it = kij_.find(pair_key(name_i, name_j));
  return it == kij_.end() ? 0.0 : it->second;
}

}  // namespace thermo
