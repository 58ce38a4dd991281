// The CSV reader and component lookup: quoted names with commas, every kind of key,
// and errors that say what was not found.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "thermo/component_database.h"
#include "thermo/csv_reader.h"
#include "thermo/fluid.h"

namespace thermo {
namespace {

TEST(CsvReader, QuotedFieldsKeepCommasQuotesAndLineBreaks) {
  const CsvTable t = parse_csv("id,name,note\r\n1,\"2,2-dimethylbutane\",\"say \"\"hi\"\"\"\n\n2,plain,\"two\nlines\"\n");
  ASSERT_EQ(t.rows.size(), 2u);
  EXPECT_EQ(t.rows[0][1], "2,2-dimethylbutane");
  EXPECT_EQ(t.rows[0][2], "say \"hi\"");
  EXPECT_EQ(t.rows[1][2], "two\nlines");
  EXPECT_EQ(t.column("note"), 2u);
}

TEST(CsvReader, MalformedTextIsRejectedWithItsLine) {
  struct Case { const char* text; const char* fragment; };
  const Case cases[] = {
      {"a,b\n1,2,3\n", "line 2"},
      {"a,b\n1,\"open\n", "unterminated"},
      {"a,b\n1,x\"y\n", "quote inside"},
      {"", "no header"},
  };
  for (const auto& c : cases) {
    try {
      parse_csv(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.fragment), std::string::npos) << e.what();
    }
  }
  EXPECT_THROW(parse_csv("a\n1\n").column("b"), std::runtime_error);
}

TEST(ComponentDatabase, EveryKindOfKeyFindsTheSameComponent) {
  const ComponentDatabase& db = ComponentDatabase::builtin();
  struct Case { const char* key; const char* name; };
  const Case cases[] = {
      {"n-Butane", "n-butane"}, {"NC4", "n-butane"}, {"106-97-8", "n-butane"}, {"106978", "n-butane"},
      {"5", "n-butane"},        {"h2o", "water"},    {"7732-18-5", "water"},  {"2,2-dimethylbutane", "2,2-dimethylbutane"},
      {" toluene ", "toluene"},
  };
  for (const auto& c : cases) EXPECT_EQ(db.find(c.key).name, c.name) << c.key;
}

TEST(ComponentDatabase, FixedHostIdsAndTheirData) {
  // Ids the library relies on; constants as in thermo/data/components.csv.
  const ComponentDatabase& db = ComponentDatabase::builtin();
  EXPECT_EQ(db.find_by_host_id(1).name, "methane");
  EXPECT_EQ(db.find_by_host_id(13).name, "nitrogen");
  EXPECT_EQ(db.find_by_host_id(19).name, "water");
  EXPECT_EQ(db.find_by_host_id(20).name, "hydrogen");
  EXPECT_EQ(db.find_by_host_id(28).name, "oxygen");
  const Component& water = db.find("water");
  EXPECT_TRUE(water.is_water());
  EXPECT_EQ(water.cas, 7732185);
  EXPECT_DOUBLE_EQ(water.tc_K, 647.30);
  EXPECT_DOUBLE_EQ(water.pc_kPa, 22089.0);
  EXPECT_NEAR(water.pr_shift_m3_per_kmol, 3.156e-3, 1e-12);
  EXPECT_DOUBLE_EQ(db.kij("water", "methane"), 0.651);
  EXPECT_DOUBLE_EQ(db.kij("methane", "water"), 0.651);
  EXPECT_EQ(db.kij("neopentane", "methane"), 0.0);  // absent pair
  EXPECT_EQ(db.components().size(), 49u);
}

TEST(Fluid, BuiltFromHostIdsMatchesTheSameByName) {
  const Fluid by_id = Fluid::from_host_ids({19, 1, 5, 13});
  const Fluid by_name = Fluid::from_keys({"water", "methane", "n-butane", "nitrogen"});
  ASSERT_EQ(by_id.size(), 4u);
  EXPECT_EQ(by_id.water_index(), 0);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(by_id.component(i).name, by_name.component(i).name);
    for (std::size_t j = 0; j < 4; ++j) EXPECT_EQ(by_id.kij(i, j), by_name.kij(i, j));
  }
  EXPECT_DOUBLE_EQ(by_id.kij(0, 1), 0.651);  // methane-water from kij_pr.csv
  EXPECT_THROW(Fluid::from_host_ids({1, 4242}), std::invalid_argument);
}

TEST(ComponentDatabase, UnknownKeyNamesItselfAndTheNearestNames) {
  const ComponentDatabase& db = ComponentDatabase::builtin();
  try {
    db.find("n-buttane");
    FAIL();
  } catch (const std::invalid_argument& e) {
    const std::string text = e.what();
    EXPECT_NE(text.find("n-buttane"), std::string::npos);
    EXPECT_NE(text.find("n-butane"), std::string::npos);
  }
  EXPECT_THROW(db.find("999"), std::invalid_argument);
  EXPECT_THROW(db.find_by_host_id(999), std::invalid_argument);
  EXPECT_EQ(db.find_if_present("nothing"), nullptr);
}

TEST(ComponentDatabase, FilesOnDiskGiveTheEmbeddedTable) {
  const ComponentDatabase disk = ComponentDatabase::load_files(VOLACOR_THERMO_DATA_DIR "/components.csv",
                                                               VOLACOR_THERMO_DATA_DIR "/kij_pr.csv");
  ASSERT_EQ(disk.components().size(), ComponentDatabase::builtin().components().size());
  EXPECT_EQ(disk.find("toluene").tc_K, ComponentDatabase::builtin().find("toluene").tc_K);
  EXPECT_THROW(ComponentDatabase::load_files("/nonexistent/c.csv", "/nonexistent/k.csv"), std::runtime_error);
  EXPECT_THROW(ComponentDatabase("host_id,name\n1,x\n", "name_i,name_j,kij\n"), std::runtime_error);
}

TEST(ComponentDatabase, NumbersThatDoNotFitAreClearErrors) {
  // One row of the table with its host id and CAS number replaced.
  const std::string header =
      "host_id,name,formula,aliases,cas,mw_g_mol,tc_K,pc_kPa,omega,tb_K,sg_60F,liquid_density_kg_m3_at_15C,zra,"
      "pr_volume_shift_cm3_mol\n";
  auto row = [&](const std::string& id, const std::string& cas) {
    return header + id + ",methane,CH4,C1," + cas + ",16.04,190.56,4599.0,0.0115,111.6,,,0.2892,-5.087\n";
  };
  EXPECT_EQ(ComponentDatabase(row("7", "74-82-8"), "name_i,name_j,kij\n").find("74-82-8").host_id, 7);
  struct Case { std::string id, cas, fragment; };
  const Case cases[] = {
      {"1", "12345678901234567890", "CAS number '12345678901234567890'"},
      {"1", "9223372036854775808", "too long"},
      {"1e300", "74-82-8", "bad host id '1e300'"},
      {"nan", "74-82-8", "bad host id 'nan'"},
      {"-3", "74-82-8", "bad host id"},
      {"2.5", "74-82-8", "bad host id"},
      {"2147483648", "74-82-8", "bad host id"},
  };
  for (const Case& c : cases) {
    try {
      ComponentDatabase(row(c.id, c.cas), "name_i,name_j,kij\n");
      ADD_FAILURE() << "accepted host id " << c.id << ", CAS " << c.cas;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.fragment), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("methane"), std::string::npos) << e.what();
    }
  }
  // A key with more digits than any number holds finds nothing.
  const ComponentDatabase& db = ComponentDatabase::builtin();
  EXPECT_EQ(db.find_if_present("123456789012345678901234"), nullptr);
  EXPECT_THROW(db.find("123456789012345678901234"), std::invalid_argument);
}

}  // namespace
}  // namespace thermo
