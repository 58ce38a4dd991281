// Resources embedded at build time: found with their exact bytes, and a clean E_FAIL
// for every way of asking for one that is not there.
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "comrt/resource.h"

extern "C" int comrt_fixture_resource_anchor();

namespace {

std::string FileBytes(const char* name) {
    std::ifstream file(std::string(COMRT_RESOURCE_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

HMODULE ResourceLibrary() {
    return comrt_ModuleFromAddress(reinterpret_cast<const void*>(&comrt_fixture_resource_anchor));
}

struct Found {
    const char* type;
    uint32_t id;
    uint16_t language;
    const char* file;
};

TEST(FindResource, GivesTheEmbeddedBytesExactly) {
    const Found cases[] = {
        {"#23", 201, 1033, "definitions.xml"},
        {"#0023", 201, 1033, "definitions.xml"},
        {"REGISTRY", 101, 1033, "with_zero_bytes.bin"},
        {"registry", 101, 1033, "with_zero_bytes.bin"},
        {"TYPELIB", 1, 0, "empty.bin"},
    };
    ASSERT_NE(ResourceLibrary(), nullptr);
    for (const Found& c : cases) {
        SCOPED_TRACE(c.type);
        const std::string expected = FileBytes(c.file);
        const void* data = nullptr;
        uint32_t size = 99;
        ASSERT_EQ(comrt_FindResource(ResourceLibrary(), c.type, c.id, c.language, &data, &size), S_OK);
        ASSERT_NE(data, nullptr);
        ASSERT_EQ(size, expected.size());
        EXPECT_EQ(std::string(static_cast<const char*>(data), size), expected);
    }
    EXPECT_EQ(FileBytes("with_zero_bytes.bin").size(), 16u) << "the fixture itself holds zero bytes";
}

struct Missing {
    const char* what;
    HMODULE module;
    const char* type;
    uint32_t id;
    uint16_t language;
};

TEST(FindResource, MissingResourcesFailWithNullAndZero) {
    const Missing cases[] = {
        {"wrong id", ResourceLibrary(), "#23", 202, 1033},
        {"wrong numbered type", ResourceLibrary(), "#24", 201, 1033},
        {"name for a numbered type", ResourceLibrary(), "HTML", 201, 1033},
        {"number for a named type", ResourceLibrary(), "#101", 101, 1033},
        {"wrong type name", ResourceLibrary(), "REGISTRYX", 101, 1033},
        {"wrong language", ResourceLibrary(), "#23", 201, 1031},
        {"malformed number", ResourceLibrary(), "#2x3", 201, 1033},
        {"bare #", ResourceLibrary(), "#", 201, 1033},
        {"empty type", ResourceLibrary(), "", 201, 1033},
        // The executable links the resource library but has no table of its own.
        {"executable with a dependency that has resources", nullptr, "#23", 201, 1033},
        {"runtime without resources", comrt_ModuleFromAddress(reinterpret_cast<const void*>(&comrt_FindResource)),
         "#23", 201, 1033},
    };
    for (const Missing& c : cases) {
        SCOPED_TRACE(c.what);
        const void* data = &cases;
        uint32_t size = 99;
        EXPECT_EQ(comrt_FindResource(c.module, c.type, c.id, c.language, &data, &size), E_FAIL);
        EXPECT_EQ(data, nullptr);
        EXPECT_EQ(size, 0u);
    }
}

TEST(FindResource, NullArguments) {
    const void* data = &data;
    uint32_t size = 99;
    EXPECT_EQ(comrt_FindResource(ResourceLibrary(), nullptr, 201, 1033, &data, &size), E_INVALIDARG);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(comrt_FindResource(ResourceLibrary(), "#23", 201, 1033, nullptr, &size), E_POINTER);
    EXPECT_EQ(comrt_FindResource(ResourceLibrary(), "#23", 201, 1033, &data, nullptr), E_POINTER);
}

}  // namespace
