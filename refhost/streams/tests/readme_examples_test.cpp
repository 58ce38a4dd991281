// The stream files shown in the README's "Stream files" section read as the text says.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "refhost/streams/stream_fluid.h"
#include "refhost/streams/stream_reader.h"

namespace refhost {
namespace {

std::vector<std::string> JsonBlocksOfSection(const std::string& path, const std::string& heading) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    const std::string readme = text.str();
    const auto start = readme.find("\n" + heading + "\n");
    if (start == std::string::npos) return {};
    const auto end = readme.find("\n## ", start + 1);
    const std::string section = readme.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::vector<std::string> blocks;
    for (auto at = section.find("```json\n"); at != std::string::npos; at = section.find("```json\n", at)) {
        at += 8;
        const auto close = section.find("```", at);
        blocks.push_back(section.substr(at, close - at));
        at = close;
    }
    return blocks;
}

TEST(ReadmeStreamFiles, ExamplesReadAsDescribed) {
    const std::vector<std::string> blocks = JsonBlocksOfSection(VOLACOR_README, "## Stream files");
    ASSERT_EQ(blocks.size(), 4u);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        SCOPED_TRACE(blocks[i]);
        if (blocks[i].find("\"7\"") != std::string::npos) {
            // Four keys for n-pentane: refused, naming the second key.
            try {
                ParseStreamText(blocks[i], "README.md");
                ADD_FAILURE() << "accepted";
            } catch (const StreamInputError& e) {
                EXPECT_EQ(e.field(), "components.nC5");
            }
            continue;
        }
        const StreamDefinition definition = ParseStreamText(blocks[i], "README.md");
        // The first, a shortened gasoline, adds up to 0.4 and is scaled with a warning.
        EXPECT_EQ(definition.warnings.size(), i == 0 ? 1u : 0u);
        EXPECT_NO_THROW(BuildStreamFluid(definition));
    }
}

}  // namespace
}  // namespace refhost
