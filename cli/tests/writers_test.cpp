// The three output forms of one stream's outcome: the table a person reads, the CSV and
// JSON programs read, and the JSON round trip the worker processes rely on.
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/csv_writer.h"
#include "cli/errors.h"
#include "cli/outcome_json.h"
#include "cli/phases_shown.h"
#include "cli/table_writer.h"
#include "cli/units.h"

namespace volacor::cli {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// Two methods sharing a display name, a feed-only method, a message for a phase, and a
// vapour phase present but without any value.
StreamOutcome Sample() {
    StreamOutcome o;
    o.name = "summer gasoline";
    o.source = "examples/summer-gasoline.json";
    o.phasePresent = {true, true, true, false, false};
    MethodOutcome a{{"api-5b1.1", "API Method 5B1.1", "Volacor.API_5B1_1", "{A}", false}, {}, {}, ""};
    a.rvp_kPa[0] = 62.126;
    a.rvp_kPa[2] = 61.0;
    a.messages = {"Phase: VAP - API 5B1.1 no TVP, returning empty", "Fluid has only one active component - returning TVP as RVP"};
    MethodOutcome b{{"orvan-api", "API Method 5B1.1", "Volacor.Orvan_API", "{B}", false}, {}, {}, ""};
    b.rvp_kPa[0] = 100.0;
    MethodOutcome c{{"modified-astm", "ASTM Method D323-73/79", "Volacor.ModifiedASTM", "{C}", true}, {}, {}, ""};
    c.rvp_kPa[0] = 70.5;
    o.methods = {a, b, c};
    return o;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(TableWriter, RowsAlignWithBlanksForEmptyValuesAndNumberedMessages) {
    std::ostringstream out;
    WriteTable(out, Sample(), PressureUnit::kPa);
    const std::vector<std::string> lines = Lines(out.str());
    ASSERT_GE(lines.size(), 12u) << out.str();
    EXPECT_EQ(lines[0], "summer gasoline (examples/summer-gasoline.json)");
    EXPECT_EQ(lines[1], "RVP in kPa at a reference temperature of 37.78 \u00b0C");
    EXPECT_EQ(lines[3], "method         name                      FEED  VAP   LIQ1  messages");
    EXPECT_EQ(lines[4], "api-5b1.1      API Method 5B1.1         62.13       61.00  1,2");
    EXPECT_EQ(lines[5], "orvan-api      API Method 5B1.1        100.00");
    EXPECT_EQ(lines[6], "modified-astm  ASTM Method D323-73/79   70.50              3");
    EXPECT_EQ(lines[8], "Messages:");
    EXPECT_EQ(lines[9], "1. api-5b1.1: Phase: VAP - API 5B1.1 no TVP, returning empty");
    EXPECT_EQ(lines[10], "2. api-5b1.1: Fluid has only one active component - returning TVP as RVP");
    EXPECT_THAT(lines[11], HasSubstr("3. modified-astm: This method calculates the whole feed only"));
    EXPECT_THAT(out.str(), Not(HasSubstr("-32767")));
}

TEST(TableWriter, ValuesInTheChosenUnit) {
    std::ostringstream psi, bar;
    WriteTable(psi, Sample(), PressureUnit::psi);
    WriteTable(bar, Sample(), PressureUnit::bar);
    EXPECT_THAT(psi.str(), HasSubstr("RVP in psi"));
    EXPECT_THAT(psi.str(), HasSubstr(" 14.50\n"));  // 100 kPa
    EXPECT_THAT(bar.str(), HasSubstr(" 1.0000\n"));
}

TEST(CsvWriter, OneRowPerMethodAndShownPhaseWithMessagesOnTheirPhasesRow) {
    std::ostringstream out;
    WriteCsvHeader(out);
    StreamOutcome o = Sample();
    o.name = "blend, \"A\"";
    WriteCsvRows(out, o, PressureUnit::kPa);
    StreamOutcome bad;
    bad.name = "broken";
    bad.source = "b.csv:4";
    bad.error = "b.csv, line 4, field components.nC4: the fraction is negative.";
    WriteCsvRows(out, bad, PressureUnit::kPa);
    const std::vector<std::string> lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 1u + 3 * 3 + 1) << out.str();
    EXPECT_EQ(lines[0], "stream,source,method,display_name,prog_id,phase,value,unit,messages,error");
    const std::string prefix = "\"blend, \"\"A\"\"\",examples/summer-gasoline.json,";
    EXPECT_EQ(lines[1], prefix + "api-5b1.1,API Method 5B1.1,Volacor.API_5B1_1,FEED,62.126,kPa,"
                                 "Fluid has only one active component - returning TVP as RVP,");
    EXPECT_EQ(lines[2], prefix + "api-5b1.1,API Method 5B1.1,Volacor.API_5B1_1,VAP,,kPa,"
                                 "\"Phase: VAP - API 5B1.1 no TVP, returning empty\",");
    EXPECT_EQ(lines[3], prefix + "api-5b1.1,API Method 5B1.1,Volacor.API_5B1_1,LIQ1,61,kPa,,");
    EXPECT_EQ(lines[10], "broken,b.csv:4,,,,,,,,\"b.csv, line 4, field components.nC4: the fraction is negative.\"");
}

TEST(PhaseRows, EachMessageLandsOnceOnThePhaseItNamesOrTheMethodsFirstRow) {
    StreamOutcome o = Sample();  // FEED, VAP and LIQ1 shown
    const struct {
        const char* message;
        int row;  // of the method's rows FEED, VAP, LIQ1
    } cases[] = {
        {"Phase: LIQ1 - no bubble point", 2},
        {"Phase: LIQ2 - not present", 0},   // a phase not shown: the first row
        {"Phase: VAPOUR - odd", 0},         // names no phase
        {"phase: VAP - lower case", 0},
        {"Phase: FEED - whole stream", 0},
        {"Phase: VAP - second line", 1},
    };
    o.methods[1].messages.clear();
    for (const auto& c : cases) o.methods[1].messages.push_back(c.message);
    const std::vector<PhaseRow> rows = PhaseRows(o);
    ASSERT_EQ(rows.size(), 3u * 3);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].method, &o.methods[i / 3]);
        EXPECT_EQ(rows[i].phase, std::vector<int>({0, 1, 2})[i % 3]);
    }
    std::vector<std::vector<std::string>> expected(3);
    for (const auto& c : cases) expected[static_cast<std::size_t>(c.row)].push_back(c.message);
    for (std::size_t r = 0; r < 3; ++r) EXPECT_EQ(rows[3 + r].messages, expected[r]) << "row " << r;
}

TEST(OutcomeJson, RoundTripInKilopascalAndNullForEmptyValues) {
    StreamOutcome o = Sample();
    o.warnings = {"Fractions added up to 0.99 and were normalised."};
    o.methods[1].failure = "The method could not calculate this stream (status 0x80004005).";
    const nlohmann::ordered_json json = OutcomeToJson(o, PressureUnit::kPa);
    EXPECT_TRUE(json["methods"][0]["rvp"]["VAP"].is_null());
    EXPECT_EQ(json["phases"], nlohmann::ordered_json::parse(R"(["FEED","VAP","LIQ1"])"));
    const StreamOutcome back = OutcomeFromJson(nlohmann::ordered_json::parse(json.dump()));
    EXPECT_EQ(OutcomeToJson(back, PressureUnit::kPa), json);
    EXPECT_EQ(back.methods[0].rvp_kPa[0], 62.126);
    EXPECT_TRUE(back.methods[2].method.feedOnly);

    const nlohmann::ordered_json psi = OutcomeToJson(o, PressureUnit::psi);
    EXPECT_EQ(psi["unit"], "psi");
    EXPECT_NEAR(psi["methods"][1]["rvp"]["FEED"].get<double>(), 14.5037738, 1e-6);

    StreamOutcome bad;
    bad.name = "x";
    bad.source = "b.jsonl:3";
    bad.error = "b.jsonl, line 3: unknown component.";
    bad.badInput = true;
    const StreamOutcome badBack = OutcomeFromJson(OutcomeToJson(bad, PressureUnit::kPa));
    EXPECT_EQ(badBack.error, bad.error);
    EXPECT_TRUE(badBack.badInput);
}

TEST(Units, NamesAndConversions) {
    EXPECT_EQ(ParsePressureUnit("KPA"), PressureUnit::kPa);
    EXPECT_EQ(ParsePressureUnit("psi"), PressureUnit::psi);
    EXPECT_EQ(ParsePressureUnit("Bar"), PressureUnit::bar);
    EXPECT_THROW(ParsePressureUnit("atm"), InputError);
    EXPECT_DOUBLE_EQ(FromKilopascal(6.894757, PressureUnit::psi), 1.0);
    EXPECT_DOUBLE_EQ(FromKilopascal(250, PressureUnit::bar), 2.5);
}

}  // namespace
}  // namespace volacor::cli
