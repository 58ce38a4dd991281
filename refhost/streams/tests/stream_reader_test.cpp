// Reading stream files: the format's features, and an error for every kind of bad input
// that names the file, the field and the line.
#include "refhost/streams/stream_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include <nlohmann/json.hpp>

namespace refhost {
namespace {

TEST(StreamReader, ReadsEveryFeatureKeepingTheWrittenOrder) {
    const StreamDefinition definition = ParseStreamText(R"({"name": "summer gasoline", "basis": "mole",
 "components": {"toluene": 0.12, "isobutane": 0.02, "nC4": 0.06, "109-66-0": 0.10},
 "cuts": [{"name": "C7", "fraction": 0.10, "nbp_C": 92, "sg": 0.738, "mw": 96},
          {"name": "C8", "fraction": 0.60, "nbp_C": 118, "sg": 0.755}],
 "temperature_C": 20, "pressure_kPa": 250, "molar_flow_kmol_h": 12.5})",
                                            "gasoline.json");
    EXPECT_EQ(definition.name, "summer gasoline");
    EXPECT_EQ(definition.source, "gasoline.json");
    EXPECT_EQ(definition.basis, CompositionBasis::Mole);
    ASSERT_EQ(definition.components.size(), 4u);
    // By name, alias and CAS number.
    const char* names[] = {"toluene", "isobutane", "n-butane", "n-pentane"};
    const double fractions[] = {0.12, 0.02, 0.06, 0.10};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(definition.components[i].name, names[i]);
        EXPECT_EQ(definition.components[i].fraction, fractions[i]);
        EXPECT_EQ(definition.components[i].line, 2);
    }
    EXPECT_EQ(definition.components[2].key, "nC4");
    ASSERT_EQ(definition.cuts.size(), 2u);
    EXPECT_EQ(definition.cuts[0].name, "C7");
    EXPECT_EQ(definition.cuts[0].mw_g_per_mol, 96.0);
    EXPECT_EQ(definition.cuts[1].mw_g_per_mol, 0.0) << "estimated later";
    EXPECT_EQ(definition.cuts[1].sg, 0.755);
    EXPECT_EQ(definition.cuts[1].line, 4);
    EXPECT_EQ(definition.temperature_C, 20.0);
    EXPECT_EQ(definition.pressure_kPa, 250.0);
    EXPECT_EQ(definition.molar_flow_kmol_h, 12.5);
}

TEST(StreamReader, HostIdsAndCasNumbersNameComponents) {
    const StreamDefinition definition = ParseStreamText(R"({"components": {"7": 0.5, "7732-18-5": 0.5}})", "ids.json");
    ASSERT_EQ(definition.components.size(), 2u);
    EXPECT_EQ(definition.components[0].name, "n-pentane");
    EXPECT_EQ(definition.components[1].name, "water");
    EXPECT_EQ(definition.components[1].host_id, 19);
}

TEST(StreamReader, DefaultsForWhatIsLeftOut) {
    const StreamDefinition definition = ParseStreamText(R"({"components": {"n-pentane": 1}})", "dir/n-pentane-sample.json");
    EXPECT_EQ(definition.name, "n-pentane-sample");
    EXPECT_EQ(definition.basis, CompositionBasis::Mole);
    EXPECT_EQ(definition.temperature_C, 15.0);
    EXPECT_EQ(definition.pressure_kPa, 101.325);
    EXPECT_EQ(definition.molar_flow_kmol_h, 1.0);
    EXPECT_TRUE(definition.cuts.empty());
    EXPECT_TRUE(definition.warnings.empty());
}

TEST(StreamReader, Bases) {
    for (const auto& [word, basis] :
         {std::pair{"mole", CompositionBasis::Mole}, std::pair{"mass", CompositionBasis::Mass},
          std::pair{"liquid_volume", CompositionBasis::LiquidVolume}}) {
        const std::string text = std::string(R"({"basis": ")") + word + R"(", "components": {"nC5": 1}})";
        EXPECT_EQ(ParseStreamText(text, "b.json").basis, basis) << word;
        EXPECT_STREQ(BasisName(basis), word);
    }
}

TEST(StreamReader, FractionsOffByMoreThanOneMillionthAreNormalisedWithAWarning) {
    const StreamDefinition off = ParseStreamText(R"({"components": {"nC4": 0.49, "nC5": 0.49}})", "off.json");
    ASSERT_EQ(off.warnings.size(), 1u);
    EXPECT_NE(off.warnings[0].find("off.json"), std::string::npos) << off.warnings[0];
    EXPECT_NE(off.warnings[0].find("0.98"), std::string::npos) << off.warnings[0];
    EXPECT_EQ(off.components[0].fraction, 0.49) << "the definition keeps the fractions as written";

    const StreamDefinition cutsOff = ParseStreamText(
        R"({"basis": "mass", "cuts": [{"name": "A", "fraction": 2, "nbp_C": 100, "sg": 0.73}]})", "c.json");
    ASSERT_EQ(cutsOff.warnings.size(), 1u);
    EXPECT_NE(cutsOff.warnings[0].find("mass"), std::string::npos) << cutsOff.warnings[0];

    EXPECT_TRUE(ParseStreamText(R"({"components": {"nC4": 0.5000009, "nC5": 0.5}})", "in.json").warnings.empty());
    EXPECT_EQ(ParseStreamText(R"({"components": {"nC4": 0.5000011, "nC5": 0.5}})", "out.json").warnings.size(), 1u);
}

struct BadCase {
    const char* what;
    const char* text;
    const char* field;
    int line;
    const char* says;  // a part of the message
};

// Each case's text starts on line 1; the fields are on the lines given.
const BadCase kBadCases[] = {
    {"syntax error", "{\"components\": {\"nC4\": 0.5\n \"nC5\": 0.5}}", "components.nC4", 2, "not valid JSON"},
    {"not an object", "[1, 2]", "", 1, "one JSON object"},
    {"empty text", " \n ", "", 1, "empty"},
    {"two objects", "{\"components\": {\"nC4\": 1}}\n{\"components\": {\"nC5\": 1}}", "components.nC4", 2,
     "not valid JSON"},
    {"unknown key", "{\"components\": {\"nC4\": 1},\n \"temprature_C\": 20}", "temprature_C", 2,
     "did you mean \"temperature_C\""},
    {"unknown component", "{\"components\": {\"nC4\": 0.5,\n  \"n-hexan\": 0.5}}", "components.n-hexan", 2,
     "nearest names are n-hexane"},
    {"key written twice", "{\"components\": {\"nC4\": 0.5,\n\n \"nC4\": 0.5}}", "components.nC4", 3, "written twice"},
    {"two keys, one component", "{\"components\": {\"nC4\": 0.5,\n \"106-97-8\": 0.5}}", "components.106-97-8", 2,
     "same component (n-butane) as \"nC4\" on line 1"},
    {"negative fraction", "{\"components\": {\n \"nC4\": -0.02, \"nC5\": 1}}", "components.nC4", 2, "negative (-0.02)"},
    {"text for a number", "{\"components\": {\"nC4\": \"0.1\"}}", "components.nC4", 1, "must be a number, not a text"},
    {"null fraction", "{\"components\": {\"nC4\": null}}", "components.nC4", 1, "no value"},
    {"components as a list", "{\"components\": [\"nC4\"]}", "components", 1, "must be an object"},
    {"unknown basis", "{\"basis\": \"volume\",\n \"components\": {\"nC4\": 1}}", "basis", 1,
     "\"mole\", \"mass\" or \"liquid_volume\", not \"volume\""},
    {"name not a text", "{\"name\": 12, \"components\": {\"nC4\": 1}}", "name", 1, "must be a text"},
    {"no components or cuts", "{\"name\": \"empty\"}", "", 1, "no components and no cuts"},
    {"empty components", "{\"components\": {}}", "components", 1, "no components and no cuts"},
    {"all fractions zero", "{\"components\": {\"nC4\": 0,\n \"nC5\": 0}}", "components", 1, "every fraction is 0"},
    {"temperature below absolute zero", "{\"components\": {\"nC4\": 1},\n\"temperature_C\": -300}", "temperature_C", 2,
     "absolute zero"},
    {"pressure zero", "{\"components\": {\"nC4\": 1},\n\"pressure_kPa\": 0}", "pressure_kPa", 2, "more than 0"},
    {"negative pressure", "{\"components\": {\"nC4\": 1}, \"pressure_kPa\": -5}", "pressure_kPa", 1,
     "more than 0, not -5"},
    {"flow not a number", "{\"components\": {\"nC4\": 1},\n\n\"molar_flow_kmol_h\": true}", "molar_flow_kmol_h", 3,
     "not a truth value"},
    {"cuts not a list", "{\"cuts\": {\"name\": \"C7\"}}", "cuts", 1, "must be a list"},
    {"cut not an object", "{\"cuts\": [\n 7]}", "cuts[0]", 2, "each cut must be an object"},
    // The parser reads the newline after a number before it reports the number.
    {"cut a number at the end of its line", "{\"cuts\": [\n 7\n]}", "cuts[0]", 2, "each cut must be an object"},
    {"cut without sg",
     "{\"components\": {\"nC4\": 0.5}, \"cuts\": [\n {\"name\": \"C7\", \"fraction\": 0.1, \"nbp_C\": 92},\n"
     " {\"name\": \"C8\", \"fraction\": 0.4, \"nbp_C\": 118}]}",
     "cuts[0]", 2, "no \"sg\""},
    {"cut with an unknown key", "{\"cuts\": [{\"name\": \"C7\", \"fraction\": 1, \"nbp_C\": 92,\n \"SG\": 0.7}]}",
     "cuts[0].SG", 2, "did you mean \"sg\""},
    {"cut with a negative molar mass",
     "{\"cuts\": [{\"name\": \"C7\", \"fraction\": 1, \"nbp_C\": 92, \"sg\": 0.73,\n \"mw\": -96}]}", "cuts[0].mw", 2,
     "molar mass of cut \"C7\""},
    {"two cuts named alike",
     "{\"cuts\": [{\"name\": \"C7\", \"fraction\": 1, \"nbp_C\": 92, \"sg\": 0.73},\n"
     " {\"name\": \"C7\", \"fraction\": 1, \"nbp_C\": 98, \"sg\": 0.74}]}",
     "cuts[1].name", 2, "two cuts are named \"C7\""},
    {"cut the correlations cannot characterise",
     "{\"cuts\": [\n{\"name\": \"odd\", \"fraction\": 1, \"nbp_C\": 900, \"sg\": 0.3}]}", "cuts[0]", 2,
     "cannot be characterised"},
    {"cut boiling below absolute zero",
     "{\"cuts\": [{\"name\": \"X\", \"fraction\": 1, \"nbp_C\": -280, \"sg\": 0.7}]}", "cuts[0].nbp_C", 1,
     "absolute zero"},
};

TEST(StreamReader, BadInputNamesTheFileTheFieldAndTheLine) {
    for (const BadCase& c : kBadCases) {
        try {
            ParseStreamText(c.text, "bad.json");
            ADD_FAILURE() << c.what << ": accepted";
        } catch (const StreamInputError& e) {
            EXPECT_EQ(e.file(), "bad.json") << c.what;
            EXPECT_EQ(e.field(), c.field) << c.what << ": " << e.what();
            EXPECT_EQ(e.line(), c.line) << c.what << ": " << e.what();
            EXPECT_NE(e.message().find(c.says), std::string::npos) << c.what << ": " << e.what();
            const std::string what = e.what();
            EXPECT_EQ(what.rfind("bad.json, line " + std::to_string(c.line), 0), 0u) << what;
            if (*c.field) {
                EXPECT_NE(what.find("field " + std::string(c.field) + ":"), std::string::npos) << what;
            }
            EXPECT_EQ(what.back(), '.') << what;
        }
    }
}

TEST(StreamReader, LinesCountFromTheFirstLineGiven) {
    // A JSON-lines reader hands over line 41 of its file.
    try {
        ParseStreamText(R"({"components": {"nC4": 1}, "pressure_kPa": "high"})", "batch.jsonl", 41);
        FAIL() << "accepted";
    } catch (const StreamInputError& e) {
        EXPECT_EQ(e.line(), 41);
        EXPECT_EQ(e.field(), "pressure_kPa");
    }
    const StreamDefinition definition = ParseStreamText("{\"components\":\n{\"nC4\": 1}}", "batch.jsonl", 7);
    EXPECT_EQ(definition.components[0].line, 8);
}

TEST(StreamReader, FilesOnDisk) {
    const std::string path = ::testing::TempDir() + "refhost_stream_reader_test.json";
    {
        std::ofstream out(path);
        out << "{\n  \"name\": \"two butanes\",\n  \"components\": {\n    \"iC4\": 0.5,\n    \"nC4\": 0.5,\n"
               "    \"iC4\": 0.1\n  }\n}\n";
    }
    try {
        ReadStreamFile(path);
        FAIL() << "accepted";
    } catch (const StreamInputError& e) {
        EXPECT_EQ(e.file(), path);
        EXPECT_EQ(e.line(), 6);
        EXPECT_EQ(e.field(), "components.iC4");
    }
    std::remove(path.c_str());
    try {
        ReadStreamFile(::testing::TempDir());
        FAIL() << "read a folder";
    } catch (const StreamInputError& e) {
        EXPECT_NE(e.message().find("folder"), std::string::npos) << e.what();
    }
    try {
        ReadStreamFile(path);
        FAIL() << "read a file that is not there";
    } catch (const StreamInputError& e) {
        EXPECT_EQ(e.file(), path);
        EXPECT_NE(e.message().find("cannot be opened"), std::string::npos) << e.what();
    }
}

TEST(StreamReader, ObjectsParsedElsewhereKeepTheirOrderAndHaveNoLines) {
    nlohmann::ordered_json object;
    object["components"]["nC5"] = 0.5;
    object["components"]["nC4"] = 0.5;
    const StreamDefinition definition = ParseStreamObject(object, "python");
    EXPECT_EQ(definition.components[0].name, "n-pentane");
    EXPECT_EQ(definition.components[0].line, 0);
    object["components"]["n-butane"] = 0.1;
    try {
        ParseStreamObject(object, "python");
        FAIL() << "accepted";
    } catch (const StreamInputError& e) {
        EXPECT_EQ(e.line(), 0);
        EXPECT_EQ(std::string(e.what()).find("line"), std::string::npos) << e.what();
        EXPECT_EQ(e.field(), "components.n-butane");
    }
}

}  // namespace
}  // namespace refhost
