#include "refhost/streams/stream_reader.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "refhost/streams/located_json.h"
#include "refhost/streams/nearest_names.h"
#include "thermo/petroleum_fraction.h"

namespace refhost {
namespace {

using Json = nlohmann::ordered_json;

constexpr double kAbsoluteZero_C = -273.15;
// Fractions that add up to 1 within this are taken as they are, without a warning.
constexpr double kSumTolerance = 1e-6;

const std::vector<std::string> kStreamKeys = {"name",          "basis",        "components",       "cuts",
                                              "temperature_C", "pressure_kPa", "molar_flow_kmol_h"};
const std::vector<std::string> kCutKeys = {"name", "fraction", "nbp_C", "sg", "mw"};

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// "a", "b" or "c" (or: "and").
std::string JoinQuoted(const std::vector<std::string>& items, const char* last = " or ") {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) out += i + 1 == items.size() ? last : ", ";
        out += Quoted(items[i]);
    }
    return out;
}

std::string Describe(const Json& value) {
    if (value.is_string()) return "a text (" + value.dump() + ")";
    if (value.is_boolean()) return std::string("a truth value (") + (value.get<bool>() ? "true" : "false") + ")";
    if (value.is_object()) return "an object";
    if (value.is_array()) return "a list";
    return value.type_name();
}

std::string Stem(const std::string& source) {
    const std::string stem = std::filesystem::path(source).stem().string();
    return stem.empty() ? source : stem;
}

// Checks one document against the stream format and builds the definition.
class StreamValidator {
 public:
    StreamValidator(const Json& root, const std::map<std::string, int>& lines, const std::string& source, int firstLine,
                    const thermo::ComponentDatabase& database)
        : root_(root), lines_(lines), source_(source), firstLine_(firstLine), database_(database) {}

    StreamDefinition Run() {
        if (!root_.is_object()) Fail("", "a stream is one JSON object ({ ... }), not " + Describe(root_) + ".");
        spec_.source = source_;
        spec_.name = Stem(source_);
        for (const auto& [key, value] : root_.items()) CheckKey(key, kStreamKeys, key, "stream");
        if (root_.contains("name")) spec_.name = Text(root_["name"], "name", "the stream's name");
        if (root_.contains("basis")) spec_.basis = Basis(root_["basis"]);
        if (root_.contains("components")) Components(root_["components"]);
        if (root_.contains("cuts")) Cuts(root_["cuts"]);
        if (spec_.components.empty() && spec_.cuts.empty())
            Fail(root_.contains("components") ? "components" : "",
                 "the stream lists no components and no cuts; give at least one.");
        if (root_.contains("temperature_C")) {
            spec_.temperature_C = Value(root_["temperature_C"], "temperature_C", "the temperature");
            if (spec_.temperature_C <= kAbsoluteZero_C)
                Fail("temperature_C",
                     "the temperature (" + Number(spec_.temperature_C) + " °C) is at or below absolute zero.");
        }
        if (root_.contains("pressure_kPa"))
            spec_.pressure_kPa = Positive(root_["pressure_kPa"], "pressure_kPa", "the pressure (absolute, kPa)");
        if (root_.contains("molar_flow_kmol_h"))
            spec_.molar_flow_kmol_h = Positive(root_["molar_flow_kmol_h"], "molar_flow_kmol_h", "the molar flow");
        CheckSum();
        return spec_;
    }

 private:
    int Line(const std::string& field) const {
        if (const auto it = lines_.find(field); it != lines_.end()) return it->second;
        return lines_.empty() ? 0 : firstLine_;
    }

    [[noreturn]] void Fail(const std::string& field, const std::string& message) const {
        throw StreamInputError(source_, field, Line(field), message);
    }

    void CheckKey(const std::string& key, const std::vector<std::string>& allowed, const std::string& field,
                  const std::string& where) const {
        if (std::find(allowed.begin(), allowed.end(), key) != allowed.end()) return;
        std::vector<NamedCandidate> candidates;
        for (const auto& k : allowed) candidates.push_back({k, k});
        const std::string nearest = NearestNames(key, candidates, 1).front();
        Fail(field, Quoted(key) + " is not a " + where + " key (did you mean " + Quoted(nearest) + "?); the keys are " +
                        JoinQuoted(allowed, " and ") + ".");
    }

    std::string Text(const Json& value, const std::string& field, const std::string& what) const {
        if (!value.is_string()) Fail(field, what + " must be a text in quotes, not " + Describe(value) + ".");
        const std::string text = value.get<std::string>();
        if (text.empty()) Fail(field, what + " is empty.");
        return text;
    }

    // A finite number; `what` names it in the message ("the fraction of nC4").
    double Value(const Json& value, const std::string& field, const std::string& what) const {
        if (value.is_null()) Fail(field, what + " has no value (null); give a number.");
        if (!value.is_number()) Fail(field, what + " must be a number, not " + Describe(value) + ".");
        const double number = value.get<double>();
        if (!std::isfinite(number)) Fail(field, what + " is not a finite number.");
        return number;
    }

    double NonNegative(const Json& value, const std::string& field, const std::string& what) const {
        const double number = Value(value, field, what);
        if (number < 0) Fail(field, what + " is negative (" + Number(number) + "); it must be 0 or more.");
        return number;
    }

    double Positive(const Json& value, const std::string& field, const std::string& what) const {
        const double number = Value(value, field, what);
        if (number <= 0) Fail(field, what + " must be more than 0, not " + Number(number) + ".");
        return number;
    }

    CompositionBasis Basis(const Json& value) const {
        const std::vector<std::string> names = {"mole", "mass", "liquid_volume"};
        if (value.is_string()) {
            const std::string text = value.get<std::string>();
            if (text == "mole") return CompositionBasis::Mole;
            if (text == "mass") return CompositionBasis::Mass;
            if (text == "liquid_volume") return CompositionBasis::LiquidVolume;
        }
        Fail("basis", "the basis must be " + JoinQuoted(names) + ", not " +
                          (value.is_string() ? Quoted(value.get<std::string>()) : Describe(value)) + ".");
    }

    std::vector<NamedCandidate> ComponentCandidates() const {
        std::vector<NamedCandidate> candidates;
        for (const auto& c : database_.components()) {
            candidates.push_back({c.name, c.name});
            for (const auto& alias : c.aliases) candidates.push_back({alias, c.name});
        }
        return candidates;
    }

    void Components(const Json& value) {
        if (!value.is_object())
            Fail("components",
                 "the components must be an object of names and fractions "
                 "({\"n-butane\": 0.1, ...}), not " +
                     Describe(value) + ".");
        std::map<int, std::size_t> seen;  // host id -> the entry that named it
        for (const auto& [key, fraction] : value.items()) {
            const std::string field = MemberPath("components", key);
            const thermo::Component* component = database_.find_if_present(key);
            if (!component) {
                std::string nearest;
                for (const auto& name : NearestNames(key, ComponentCandidates()))
                    nearest += (nearest.empty() ? "" : ", ") + name;
                Fail(field, Quoted(key) +
                                " is not a known component name, alias, CAS number or id; the nearest names are " +
                                nearest + ".");
            }
            if (const auto it = seen.find(component->host_id); it != seen.end()) {
                const StreamComponent& first = spec_.components[it->second];
                const std::string where = first.line > 0 ? " on line " + std::to_string(first.line) : "";
                Fail(field, Quoted(key) + " names the same component (" + component->name + ") as " +
                                Quoted(first.key) + where + "; give each component once.");
            }
            StreamComponent entry;
            entry.key = key;
            entry.name = component->name;
            entry.host_id = component->host_id;
            entry.fraction = NonNegative(fraction, field, "the fraction of " + Quoted(key));
            entry.line = Line(field);
            spec_.components.push_back(entry);
            seen[component->host_id] = spec_.components.size() - 1;
        }
    }

    void Cuts(const Json& value) {
        if (!value.is_array())
            Fail("cuts",
                 "the cuts must be a list of objects ([{\"name\": ..., \"fraction\": ..., \"nbp_C\": ..., "
                 "\"sg\": ...}]), not " +
                     Describe(value) + ".");
        spec_.cuts.reserve(value.size());
        for (std::size_t i = 0; i < value.size(); ++i) Cut(value[i], ItemPath("cuts", i));
    }

    void Cut(const Json& value, const std::string& field) {
        if (!value.is_object())
            Fail(field, "each cut must be an object with \"name\", \"fraction\", \"nbp_C\" and \"sg\", not " +
                            Describe(value) + ".");
        for (const auto& [key, item] : value.items()) CheckKey(key, kCutKeys, MemberPath(field, key), "cut");
        const auto required = [&](const char* key, const char* what) -> const Json& {
            if (!value.contains(key)) Fail(field, "the cut has no " + Quoted(key) + " (" + what + ").");
            return value[key];
        };
        StreamCut cut;
        cut.name = Text(required("name", "its name"), MemberPath(field, "name"), "the cut's name");
        for (const auto& other : spec_.cuts)
            if (other.name == cut.name)
                Fail(MemberPath(field, "name"),
                     "two cuts are named " + Quoted(cut.name) + "; give each cut its own name.");
        const std::string of = " of cut " + Quoted(cut.name);
        cut.fraction =
            NonNegative(required("fraction", "its fraction"), MemberPath(field, "fraction"), "the fraction" + of);
        cut.nbp_C =
            Value(required("nbp_C", "normal boiling point, °C"), MemberPath(field, "nbp_C"), "the boiling point" + of);
        if (cut.nbp_C <= kAbsoluteZero_C)
            Fail(MemberPath(field, "nbp_C"),
                 "the boiling point" + of + " (" + Number(cut.nbp_C) + " °C) is at or below absolute zero.");
        cut.sg =
            Positive(required("sg", "specific gravity 60/60 °F"), MemberPath(field, "sg"), "the specific gravity" + of);
        if (value.contains("mw"))
            cut.mw_g_per_mol = Positive(value["mw"], MemberPath(field, "mw"), "the molar mass" + of);
        cut.line = Line(field);
        try {
            thermo::make_pseudo_component({cut.name, cut.nbp_C - kAbsoluteZero_C, cut.sg, cut.mw_g_per_mol},
                                          thermo::kFirstPseudoHostId);
        } catch (const std::invalid_argument&) {
            Fail(field, "cut " + Quoted(cut.name) + " cannot be characterised: its boiling point (" +
                            Number(cut.nbp_C) + " °C) and specific gravity (" + Number(cut.sg) +
                            ") give no valid critical point.");
        }
        spec_.cuts.push_back(cut);
    }

    void CheckSum() {
        double sum = 0;
        for (const auto& c : spec_.components) sum += c.fraction;
        for (const auto& c : spec_.cuts) sum += c.fraction;
        if (sum <= 0)
            Fail(spec_.components.empty() ? "cuts" : "components",
                 "every fraction is 0; give at least one component or cut a fraction above 0.");
        if (std::abs(sum - 1.0) > kSumTolerance)
            spec_.warnings.push_back(source_ + ": the " + BasisName(spec_.basis) + " fractions add up to " +
                                     Number(sum) + ", not 1; they were scaled to add up to 1.");
    }

    const Json& root_;
    const std::map<std::string, int>& lines_;
    const std::string& source_;
    int firstLine_;
    const thermo::ComponentDatabase& database_;
    StreamDefinition spec_;
};

std::string Compose(const std::string& file, const std::string& field, int line, const std::string& message) {
    std::string out = file.empty() ? std::string("stream") : file;
    if (line > 0) out += ", line " + std::to_string(line);
    if (!field.empty()) out += ", field " + field;
    return out + ": " + message;
}

}  // namespace

StreamInputError::StreamInputError(std::string file, std::string field, int line, std::string message)
    : std::runtime_error(Compose(file, field, line, message)),
      file_(std::move(file)),
      field_(std::move(field)),
      line_(line),
      message_(std::move(message)) {}

StreamDefinition ParseStreamText(std::string_view text, const std::string& source, int firstLine,
                           const thermo::ComponentDatabase& database) {
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos)
        throw StreamInputError(source, "", firstLine,
                               "the stream text is empty; a stream is one JSON object ({ ... }).");
    const LocatedJson document = ParseLocatedJson(text, source, firstLine);
    return StreamValidator(document.value, document.lines, source, firstLine, database).Run();
}

StreamDefinition ParseStreamObject(const nlohmann::ordered_json& object, const std::string& source,
                             const thermo::ComponentDatabase& database) {
    const std::map<std::string, int> noLines;
    return StreamValidator(object, noLines, source, 0, database).Run();
}

StreamDefinition ReadStreamFile(const std::string& path, const thermo::ComponentDatabase& database) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored))
        throw StreamInputError(path, "", 0, "this is a folder, not a stream file.");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw StreamInputError(path, "", 0, std::string("the file cannot be opened (") + std::strerror(errno) + ").");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw StreamInputError(path, "", 0, "the file cannot be read.");
    return ParseStreamText(text.str(), path, 1, database);
}

}  // namespace refhost
