// Batch files into stream texts: CSV columns to stream fields, line numbers that point
// at the right line, and a bad line that spoils only itself.
#include "cli/batch_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/errors.h"

namespace volacor::cli {
namespace {

using ::testing::HasSubstr;
using nlohmann::ordered_json;

TEST(BatchReader, CsvRowsBecomeStreamObjectsWithComponentsInColumnOrder) {
    const std::string text =
        "name,temperature_C,nC4,109-66-0,basis,isobutane,pressure_kPa\n"
        "blend A,20,0.3,0.7,mass,,\n"
        "\n"
        "\"blend, B\",,0.5,x,,0.5,250.5\r\n";
    const auto entries = ReadBatchText(text, BatchFormat::Csv, "samples.csv");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].line, 2);
    EXPECT_EQ(entries[0].name, "blend A");
    EXPECT_EQ(entries[0].error, "");
    EXPECT_EQ(ordered_json::parse(entries[0].text),
              ordered_json::parse(R"({"name":"blend A","temperature_C":20,"basis":"mass",
                                      "components":{"nC4":0.3,"109-66-0":0.7}})"));
    // An empty cell leaves the field out; a cell that is not a number stays text, so the
    // stream reader names it.
    EXPECT_EQ(entries[1].line, 4);
    EXPECT_EQ(entries[1].name, "blend, B");
    const ordered_json second = ordered_json::parse(entries[1].text);
    EXPECT_FALSE(second.contains("temperature_C"));
    EXPECT_EQ(second["pressure_kPa"], 250.5);
    EXPECT_EQ(second["components"]["109-66-0"], "x");
    EXPECT_EQ(second["components"].begin().key(), "nC4");
}

TEST(BatchReader, ABadCsvLineIsAnEntryWithItsLineAndTheOthersGoOn) {
    const std::string text =
        "name,nC4,nC5\n"
        "good,0.5,0.5\n"
        "short,0.5\n"
        "\"multi\nline\",0.2,0.8\n"
        "after,0.1,0.9\n"
        "\"open,0.1,0.9\n";
    const auto entries = ReadBatchText(text, BatchFormat::Csv, "b.csv");
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].error, "");
    EXPECT_EQ(entries[1].line, 3);
    EXPECT_THAT(entries[1].error, HasSubstr("b.csv, line 3"));
    EXPECT_THAT(entries[1].error, HasSubstr("2 fields where the header has 3"));
    EXPECT_EQ(entries[2].line, 4);  // a quoted line end belongs to the field
    EXPECT_EQ(entries[2].name, "multi\nline");
    EXPECT_EQ(entries[3].line, 6);
    EXPECT_EQ(entries[3].error, "");
    EXPECT_EQ(entries[4].line, 7);
    EXPECT_THAT(entries[4].error, HasSubstr("never closed"));
}

TEST(BatchReader, ACsvHeaderWithoutNameOrWithATwiceNamedColumnIsRefusedWhole) {
    struct Case {
        const char* text;
        const char* says;
    };
    for (const Case& c : {Case{"stream,nC4\nx,1\n", "no 'name' column"},
                          Case{"name,nC4,NC4\nx,1,1\n", "column 'NC4' twice"},
                          Case{"name,,nC4\nx,1,1\n", "has no name"}}) {
        try {
            ReadBatchText(c.text, BatchFormat::Csv, "h.csv");
            ADD_FAILURE() << c.text;
        } catch (const InputError& error) {
            EXPECT_THAT(error.what(), HasSubstr("h.csv, line 1"));
            EXPECT_THAT(error.what(), HasSubstr(c.says));
        }
    }
}

TEST(BatchReader, JsonLinesKeepTheirLineNumbersAndLeaveJudgingToTheStreamReader) {
    const std::string text = "{\"name\": \"a\", \"components\": {\"nC5\": 1}}\n\n  \n{not json\n{\"name\": 5}\n";
    const auto entries = ReadBatchText(text, BatchFormat::JsonLines, "b.jsonl");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].line, 1);
    EXPECT_EQ(entries[0].name, "a");
    EXPECT_EQ(entries[1].line, 4);
    EXPECT_EQ(entries[1].text, "{not json");
    EXPECT_EQ(entries[1].error, "");
    EXPECT_EQ(entries[2].line, 5);
    EXPECT_EQ(entries[2].name, "");
}

TEST(BatchReader, FormatByFileNameThenByContent) {
    EXPECT_EQ(DetectBatchFormat("a.CSV", "{"), BatchFormat::Csv);
    EXPECT_EQ(DetectBatchFormat("a.jsonl", "name"), BatchFormat::JsonLines);
    EXPECT_EQ(DetectBatchFormat("a.txt", "\n  {\"name\":1}"), BatchFormat::JsonLines);
    EXPECT_EQ(DetectBatchFormat("a.txt", "name,nC5"), BatchFormat::Csv);
}

TEST(BatchReader, AnUnreadableFileIsBadInputNamingIt) {
    try {
        ReadBatchFile("/nonexistent/batch.csv");
        FAIL();
    } catch (const InputError& error) {
        EXPECT_THAT(error.what(), HasSubstr("/nonexistent/batch.csv"));
    }
}

}  // namespace
}  // namespace volacor::cli
