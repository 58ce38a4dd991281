// Choosing methods by short name or programmatic id.
#include "cli/method_selection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/errors.h"

namespace volacor::cli {
namespace {

const std::vector<MethodIdentity> kMethods{
    {"api-5b1.1", "API Method 5B1.1", "Volacor.API_5B1_1", "{1}", false},
    {"orvan-api", "API Method 5B1.1", "Volacor.Orvan_API", "{2}", false},
    {"d6377-16", "ASTM Method D6377-16", "Volacor.ASTM_D6377_16", "{3}", false},
};

std::vector<std::string> Names(const std::vector<MethodIdentity>& methods) {
    std::vector<std::string> names;
    for (const MethodIdentity& m : methods) names.push_back(m.shortName);
    return names;
}

TEST(SelectMethods, NamesMatchShortNamesAndProgrammaticIdsInAnyCase) {
    struct Case {
        std::vector<std::string> requested;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {{}, {"api-5b1.1", "orvan-api", "d6377-16"}},
        {{"d6377-16"}, {"d6377-16"}},
        {{"D6377-16", "API-5B1.1"}, {"api-5b1.1", "d6377-16"}},  // the table's order
        {{"Volacor.Orvan_API"}, {"orvan-api"}},
        {{"volacor.astm_d6377_16.1"}, {"d6377-16"}},              // version-dependent id
        {{"orvan-api", "Volacor.Orvan_API"}, {"orvan-api"}},      // named twice, run once
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Names(SelectMethods(kMethods, c.requested)), c.expected) << ::testing::PrintToString(c.requested);
    }
}

TEST(SelectMethods, AnUnknownNameIsBadInputThatListsTheShortNames) {
    for (const char* name : {"d6377", "Volacor.ASTM_D6377_16.x", "API Method 5B1.1", "Volacor.API_5B1_1."}) {
        try {
            SelectMethods(kMethods, {name});
            ADD_FAILURE() << name << " was accepted";
        } catch (const InputError& error) {
            EXPECT_THAT(error.what(), ::testing::HasSubstr(std::string("'") + name + "'"));
            EXPECT_THAT(error.what(), ::testing::HasSubstr("api-5b1.1, orvan-api, d6377-16"));
        }
    }
}

}  // namespace
}  // namespace volacor::cli
