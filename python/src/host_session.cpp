#include "python/src/host_session.h"

#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "cli/host_outcome.h"
#include "cli/outcome_json.h"
#include "comrt/guid.h"
#include "host/phase.h"
#include "python/src/stream_text.h"
#include "refhost/analysis/distillation_curve.h"
#include "refhost/calculation/stream_calculation.h"
#include "refhost/manager/correlation_manager.h"
#include "refhost/manager/host_flash.h"
#include "refhost/manager/method_table.h"
#include "refhost/stream/material_stream.h"
#include "refhost/stream/stream_analysis.h"

namespace volacor_python {
namespace {

using Json = nlohmann::ordered_json;

// The phases in the order the package shows them: the whole stream first.
constexpr volacor::PhaseIndex kShownOrder[] = {volacor::FEED, volacor::VAP, volacor::LIQ1, volacor::LIQ2,
                                               volacor::SOLID};

std::map<std::string, std::unique_ptr<refhost::CorrelationManager>>& Managers() {
  static std::map<std::string, std::unique_ptr<refhost::CorrelationManager>> managers;
  return managers;
}

refhost::CorrelationManager& ManagerFor(const std::string& library) {
  auto& managers = Managers();
  auto found = managers.find(library);
  if (found == managers.end()) {
    auto manager = std::make_unique<refhost::CorrelationManager>(refhost::CorrelationManager::FromLibrary(library));
    found = managers.emplace(library, std::move(manager)).first;
  }
  return *found->second;
}

// Correlation objects belong to the thread that made them, and making one costs about
// as much as a calculation: each thread keeps those it made, one per method and set of
// parameters (parameters left unset by a request stay as the object was created, so
// they are part of the key), like a host that keeps its correlations between streams.
struct ThreadCorrelations {
  std::string library;
  std::map<std::string, refhost::Correlation> byKey;
};
constexpr size_t kMaxKeptCorrelations = 64;

ThreadCorrelations& ThisThreadsCorrelations() {
  thread_local ThreadCorrelations kept;
  return kept;
}

std::string OptionalText(const std::optional<double>& value) {
  if (!value) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", *value);
  return text;
}

refhost::Correlation& CorrelationFor(ThreadCorrelations& kept, const RvpRequest& request,
                                     const refhost::MethodInfo& method) {
  const std::optional<double> vlRatio = method.hasVlRatio ? request.vlRatio : std::nullopt;
  const std::string key =
      std::string(method.shortName) + "|" + OptionalText(request.removeNcPercent) + "|" + OptionalText(vlRatio);
  auto found = kept.byKey.find(key);
  if (found == kept.byKey.end()) {
    refhost::Correlation correlation = ManagerFor(request.library).Create(method);
    refhost::Parameters parameters;
    parameters.removeNcMolePercent = request.removeNcPercent;
    parameters.vlRatio = vlRatio;
    correlation.SetParameters(parameters);
    found = kept.byKey.emplace(key, std::move(correlation)).first;
  }
  // The reference temperature is always given: set for every calculation.
  refhost::Parameters temperature;
  temperature.referenceTemperature_C = request.temperature_C;
  found->second.SetParameters(temperature);
  return found->second;
}

// This thread's objects for the request's methods. Room is made before the first is
// handed out, so that none of them goes while the stream is calculated.
std::vector<refhost::Correlation*> CorrelationsFor(const RvpRequest& request,
                                                   const std::vector<const refhost::MethodInfo*>& methods) {
  ThreadCorrelations& kept = ThisThreadsCorrelations();
  if (kept.library != request.library || kept.byKey.size() + methods.size() > kMaxKeptCorrelations) {
    kept.byKey.clear();
    kept.library = request.library;
  }
  std::vector<refhost::Correlation*> correlations;
  for (const refhost::MethodInfo* m : methods) correlations.push_back(&CorrelationFor(kept, request, *m));
  return correlations;
}

std::string ClassIdText(const GUID& id) {
  char text[GUID_STRING_CHARS + 1] = {};
  return comrt_GuidToString(id, text, sizeof text) >= 0 ? text : "";
}

Json MethodRecord(const refhost::MethodInfo& m) {
  return {{"short_name", m.shortName},     {"display_name", m.displayName}, {"prog_id", m.progId},
          {"class_id", ClassIdText(m.classId)}, {"class_name", m.className},   {"feed_only", m.feedOnly},
          {"has_vl_ratio", m.hasVlRatio}};
}

std::vector<const refhost::MethodInfo*> SelectMethods(const std::vector<std::string>& keys) {
  std::vector<const refhost::MethodInfo*> chosen;
  if (keys.empty()) {
    for (const refhost::MethodInfo& m : refhost::Methods()) chosen.push_back(&m);
    return chosen;
  }
  for (const std::string& key : keys) {
    const refhost::MethodInfo* m = refhost::FindMethod(key);
    if (!m) {
      std::string known;
      for (const refhost::MethodInfo& each : refhost::Methods()) known += (known.empty() ? "" : ", ") + std::string(each.shortName);
      throw std::invalid_argument("unknown method \"" + key + "\"; the methods are " + known);
    }
    chosen.push_back(m);
  }
  return chosen;
}

// The stream the host's flash and analysis look at, made up as for a calculation.
comrt::ComPtr<refhost::MaterialStream> MakeStream(const refhost::StreamDefinition& definition, const std::string& source,
                                                  const std::string& eos) {
  return refhost::MakeStreamOf(definition, source, refhost::EquationOfStateNamed(eos));
}

}  // namespace

std::string CalculateRvpJson(const std::string& text, const std::string& source, int firstLine,
                             const RvpRequest& request) {
  const std::vector<const refhost::MethodInfo*> methods = SelectMethods(request.methods);
  const thermo::EquationOfState eos = refhost::EquationOfStateNamed(request.eos);
  const refhost::StreamDefinition definition = ParseStreamDefinition(text, source, firstLine);
  const std::vector<refhost::Correlation*> correlations = CorrelationsFor(request, methods);
  const refhost::StreamCalculation calculation = refhost::CalculateStream(definition, source, eos, correlations);
  const volacor::cli::StreamOutcome outcome =
      volacor::cli::OutcomeOf(calculation, definition.name, source, request.temperature_C);
  return volacor::cli::OutcomeToJson(outcome, volacor::cli::PressureUnit::kPa).dump();
}

std::string FlashJson(const std::string& text, const std::string& source, int firstLine, const std::string& eos,
                      double temperature_C, std::optional<double> pressure_kPa,
                      std::optional<double> vapourFraction) {
  const refhost::StreamDefinition definition = ParseStreamDefinition(text, source, firstLine);
  comrt::ComPtr<refhost::MaterialStream> stream = MakeStream(definition, source, eos);
  const refhost::FlashReport report = refhost::FlashStream(*stream.get(), temperature_C, pressure_kPa, vapourFraction);
  Json phases = Json::object();
  for (size_t p = 0; p < report.phases.size(); ++p) {
    const refhost::FlashedPhase& phase = report.phases[p];
    phases[volacor::PhaseName(static_cast<int32_t>(p))] = {
        {"present", phase.present},
        {"fraction", phase.fraction},
        {"mole_fractions", phase.moleFractions},
        {"molar_volume_m3_kmol", phase.molarVolume_m3_kmol},
        {"density_kg_m3", phase.density_kg_m3}};
  }
  Json out = {{"stream", definition.name},
              {"temperature_C", report.temperature_C},
              {"pressure_kPa", report.pressure_kPa},
              {"components", report.componentNames},
              {"phases", std::move(phases)},
              {"molar_volume_m3_kmol", report.molarVolume_m3_kmol},
              {"density_kg_m3", report.density_kg_m3}};
  return out.dump();
}

std::string AnalysisJson(const std::string& text, const std::string& source, int firstLine, const std::string& eos) {
  const refhost::StreamDefinition definition = ParseStreamDefinition(text, source, firstLine);
  comrt::ComPtr<refhost::MaterialStream> stream = MakeStream(definition, source, eos);
  thermo::Flasher flasher(stream->fluid());
  const refhost::StreamAnalysisResult analysis = refhost::AnalyseStream(flasher, stream->state());
  auto value = [](double v) { return v == volacor::EMPTY_VALUE ? Json(nullptr) : Json(v); };
  Json points = Json::array();
  for (double point : refhost::kDistillationPoints_volPercent) points.push_back(point);
  Json phases = Json::object();
  for (volacor::PhaseIndex p : kShownOrder) {
    const auto& phase = analysis.phases[static_cast<size_t>(p)];
    Json curve = Json::array();
    for (double t : phase.d86_C) curve.push_back(value(t));
    phases[volacor::PhaseName(p)] = {{"d86_C", std::move(curve)}, {"bp_curve_rvp_kPa", value(phase.bpCurveRvp_kPa)}};
  }
  Json out = {{"stream", definition.name},
              {"volume_percent", std::move(points)},
              {"slope_points", {refhost::kDistillation5PercentIndex, refhost::kDistillation15PercentIndex}},
              {"phases", std::move(phases)}};
  return out.dump();
}

std::string MethodsJson() {
  Json out = Json::array();
  for (const refhost::MethodInfo& m : refhost::Methods()) out.push_back(MethodRecord(m));
  return out.dump();
}

void ReleaseManagers() {
  ThisThreadsCorrelations().byKey.clear();
  Managers().clear();
}

}  // namespace volacor_python
