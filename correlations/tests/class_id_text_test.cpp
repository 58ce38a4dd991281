// Class-id text for the objects' identity strings, and the two conditions it checks.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "correlations/class_descriptions.h"
#include "correlations/class_id_text.h"

namespace volacor {
namespace {

std::vector<std::string> failedConditions;
void RecordFailure(const char* condition, const char*, int) { failedConditions.push_back(condition); }

TEST(ClassIdToString, WritesUpperCaseRegistryText) {
    const std::pair<const ClassDescription*, const char*> cases[] = {
        {&kAPI_5B1_1, "{56B62C92-EC0D-4665-BD33-344EDA44A966}"},
        {&kOrvan_API, "{E01D4667-D71B-4E00-8337-648D6E694D19}"},   // upper case, unlike its script
        {&kModifiedASTM, "{85E31F8C-B0E9-490A-99F9-2F7CCA42698E}"},
    };
    for (const auto& [description, expected] : cases) {
        char text[CLSID_STRING_SIZE];
        std::memset(text, 'x', sizeof text);
        ClassIdToString(description->classId, text, sizeof text);
        EXPECT_STREQ(text, expected);
    }
}

TEST(ClassIdToString, ShortBufferFailsItsConditionAndIsNeverOverrun) {
    const AssertionHandler previous = SetAssertionHandler(&RecordFailure);
    failedConditions.clear();
    char buffer[CLSID_STRING_SIZE + 1];
    std::memset(buffer, 'x', sizeof buffer);

    ClassIdToString(kAPI_5B1_1.classId, buffer, CLSID_STRING_SIZE - 1);

    SetAssertionHandler(previous);
    ASSERT_EQ(failedConditions, std::vector<std::string>{"length >= CLSID_STRING_SIZE"});
    EXPECT_EQ(buffer[0], '\0') << "an empty text rather than a partial one";
    for (size_t i = 1; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 'x') << "byte " << i;
}

}  // namespace
}  // namespace volacor
