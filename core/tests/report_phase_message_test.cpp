// Message lines: the phase name goes into the first conversion, further values into the
// rest, and nothing is ever written past the shared 256-byte buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/property_calculator.h"
#include "testsupport/scripted_fluid.h"

namespace volacor {
namespace {

using testsupport::Hydrogen;
using testsupport::ScriptedFluid;

class ReportPhaseMessageTest : public ::testing::Test {
protected:
    std::unique_ptr<ScriptedFluid> fluid = ScriptedFluid::Make({Hydrogen});
    IHostFluidServices* services = fluid.get();
};

TEST_F(ReportPhaseMessageTest, FormatsPhaseNameThenFurtherValues) {
    ReportPhaseMessage(services, "Phase: %s - Orvan API Requires TVP.", PhaseName(LIQ1));
    ReportPhaseMessage(services, "Phase: %s - Test %d of %g at %6.4g \xB0""C, 100%%", "FEED", 3, 2.5, 37.7777);
    ReportPhaseMessage(services, "%-6s|%5.3s|%d", "VAP", "LIQ2", 7);
    ReportPhaseMessage(services, "100%% done for %s (%d)", "SOLID", 4);
    ReportPhaseMessage(services, "Fluid has only one active component - returning TVP as RVP", "");
    ReportPhaseMessage(services, "Phase: %s - x", PhaseName(9));
    ReportPhaseMessage(services, "Phase: %s - no name", nullptr);
    ASSERT_EQ(fluid->messages.size(), 7u);
    EXPECT_EQ(fluid->messages[0], "Phase: LIQ1 - Orvan API Requires TVP.");
    EXPECT_EQ(fluid->messages[1], "Phase: FEED - Test 3 of 2.5 at  37.78 \xB0""C, 100%");
    EXPECT_EQ(fluid->messages[2], "VAP   |  LIQ|7");
    EXPECT_EQ(fluid->messages[3], "100% done for SOLID (4)");
    EXPECT_EQ(fluid->messages[4], "Fluid has only one active component - returning TVP as RVP");
    EXPECT_EQ(fluid->messages[5], "Phase:  - x");
    EXPECT_EQ(fluid->messages[6], "Phase:  - no name");
    EXPECT_STREQ(messageBuffer, "Phase:  - no name");
}

// A line longer than the buffer is cut to 255 bytes and terminated, wherever the
// overflow comes from: the format's own text, the phase name or a further value.
TEST_F(ReportPhaseMessageTest, LongLinesAreCutAndTerminated) {
    const std::string longText(400, 'x');
    const std::string fromFormat = "Phase: %s - " + longText;
    const std::string fromRest = "Phase: %s - %s";
    struct Case {
        const char* what;
        const char* format;
        const char* phaseName;
        const char* further;
    };
    for (const Case& c : {Case{"format text", fromFormat.c_str(), "VAP", ""},
                          Case{"phase name", "Phase: %s - %s", longText.c_str(), "tail"},
                          Case{"further value", fromRest.c_str(), "LIQ1", longText.c_str()}}) {
        SCOPED_TRACE(c.what);
        std::memset(messageBuffer, '#', sizeof messageBuffer);
        ReportPhaseMessage(services, c.format, c.phaseName, c.further);
        ASSERT_FALSE(fluid->messages.empty());
        const std::string& line = fluid->messages.back();
        EXPECT_EQ(line.size(), 255u);
        EXPECT_EQ(messageBuffer[255], '\0');
        EXPECT_EQ(line.find('#'), std::string::npos);
        EXPECT_EQ(line.substr(0, 7), "Phase: ");
    }
}

TEST_F(ReportPhaseMessageTest, WithoutServicesOnlyTheBufferIsWritten) {
    ReportPhaseMessage(nullptr, "Phase: %s - %d", "SOLID", 12);
    EXPECT_STREQ(messageBuffer, "Phase: SOLID - 12");
    EXPECT_TRUE(fluid->messages.empty());
}

}  // namespace
}  // namespace volacor
