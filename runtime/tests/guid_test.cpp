// Class-id text: the exact registry form both ways, and rejection of anything else.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "comrt/codepage.h"
#include "comrt/guid.h"

namespace {

struct KnownGuid {
    GUID guid;
    const char* text;
};

// Byte order matters: Data1-Data3 are written big end first, Data4 byte by byte.
const KnownGuid kKnown[] = {
    {{0x00000000, 0x0000, 0x0000, {0, 0, 0, 0, 0, 0, 0, 0}}, "{00000000-0000-0000-0000-000000000000}"},
    {{0x88D96A05, 0xF192, 0x11D4, {0xA6, 0x5F, 0x00, 0x40, 0x96, 0x32, 0x51, 0xE5}},
     "{88D96A05-F192-11D4-A65F-0040963251E5}"},
    {{0x01234567, 0x89AB, 0xCDEF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}},
     "{01234567-89AB-CDEF-0123-456789ABCDEF}"},
    {{0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
     "{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}"},
};

TEST(GuidText, KnownGuidsRoundTripInBothWidths) {
    for (const auto& known : kKnown) {
        SCOPED_TRACE(known.text);
        char narrow[39];
        std::memset(narrow, 'x', sizeof narrow);
        ASSERT_EQ(comrt_GuidToString(known.guid, narrow, sizeof narrow), S_OK);
        EXPECT_STREQ(narrow, known.text);

        OLECHAR wide[40];
        std::fill(std::begin(wide), std::end(wide), u'x');
        ASSERT_EQ(StringFromGUID2(known.guid, wide, 40), 39);
        EXPECT_EQ(std::u16string(wide), comrt::AnsiToWide(known.text));
        EXPECT_EQ(wide[39], u'x') << "nothing written past the terminator";

        GUID parsed{};
        ASSERT_EQ(CLSIDFromString(wide, &parsed), S_OK);
        EXPECT_EQ(parsed, known.guid);
        ASSERT_EQ(comrt_StringToGuid(known.text, &parsed), S_OK);
        EXPECT_EQ(parsed, known.guid);
    }
}

TEST(GuidText, LowerCaseDigitsParse) {
    GUID parsed{};
    ASSERT_EQ(comrt_StringToGuid("{88d96a05-f192-11d4-a65f-0040963251e5}", &parsed), S_OK);
    EXPECT_EQ(parsed, kKnown[1].guid);
}

TEST(GuidText, MalformedTextIsRejectedAndZeroesTheGuid) {
    const char* const malformed[] = {
        "",
        "88D96A05-F192-11D4-A65F-0040963251E5",      // no braces
        "{88D96A05-F192-11D4-A65F-0040963251E5",     // no closing brace
        "{88D96A05-F192-11D4-A65F-0040963251E}",     // one digit short
        "{88D96A05-F192-11D4-A65F-0040963251E55}",   // one digit long
        "{88D96A05-F192-11D4-A65F-0040963251E5} ",   // trailing text
        "{88D96A05F192-11D4-A65F-0040963251E5-}",    // dash moved
        "{88D96A05-F192-11D4-A65F-0040963251G5}",    // not a hex digit
        "{88D96A05-F192-11D4-A65F-00409632 1E5}",    // space
        "(88D96A05-F192-11D4-A65F-0040963251E5)",    // wrong brackets
        "{+8D96A05-F192-11D4-A65F-0040963251E5}",    // sign
    };
    for (const char* text : malformed) {
        SCOPED_TRACE(text);
        GUID narrow = kKnown[3].guid;
        EXPECT_EQ(comrt_StringToGuid(text, &narrow), CO_E_CLASSSTRING);
        EXPECT_EQ(narrow, GUID{});

        GUID wide = kKnown[3].guid;
        EXPECT_EQ(CLSIDFromString(comrt::AnsiToWide(text).c_str(), &wide), CO_E_CLASSSTRING);
        EXPECT_EQ(wide, GUID{});
    }
}

TEST(GuidText, WideDigitsOutsideAsciiAreNotHex) {
    // A wide character whose low byte is a hex digit must not pass as one.
    std::u16string text = u"{88D96A05-F192-11D4-A65F-0040963251E5}";
    text[1] = static_cast<char16_t>(0x0138);  // low byte '8'
    GUID parsed{};
    EXPECT_EQ(CLSIDFromString(text.c_str(), &parsed), CO_E_CLASSSTRING);
}

TEST(GuidText, NullArgumentsAndShortBuffers) {
    GUID parsed = kKnown[3].guid;
    EXPECT_EQ(CLSIDFromString(nullptr, &parsed), CO_E_CLASSSTRING);
    EXPECT_EQ(parsed, GUID{});
    EXPECT_EQ(comrt_StringToGuid(nullptr, &parsed), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromString(u"{88D96A05-F192-11D4-A65F-0040963251E5}", nullptr), E_POINTER);
    EXPECT_EQ(comrt_StringToGuid(kKnown[1].text, nullptr), E_POINTER);

    OLECHAR wide[39];
    wide[0] = u'x';
    EXPECT_EQ(StringFromGUID2(kKnown[1].guid, wide, 38), 0);
    EXPECT_EQ(wide[0], u'x') << "a short buffer is left untouched";
    EXPECT_EQ(StringFromGUID2(kKnown[1].guid, nullptr, 39), 0);

    char narrow[38];
    narrow[0] = 'x';
    EXPECT_EQ(comrt_GuidToString(kKnown[1].guid, narrow, sizeof narrow), E_INVALIDARG);
    EXPECT_EQ(narrow[0], 'x');
    EXPECT_EQ(comrt_GuidToString(kKnown[1].guid, nullptr, 39), E_POINTER);
}

}  // namespace
