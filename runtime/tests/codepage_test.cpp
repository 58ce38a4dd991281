// Code pages: Windows-1252 (the ANSI code page) and UTF-8 to UTF-16 and back, and the
// buffer contract (a length query, never a write past dstLen).
#include <array>
#include <string>

#include <gtest/gtest.h>

#include "comrt/codepage.h"

namespace {

std::u16string ToWide(uint32_t codePage, const std::string& narrow) {
    const int32_t needed = MultiByteToWideChar(codePage, 0, narrow.data(), static_cast<int32_t>(narrow.size()), nullptr, 0);
    std::u16string wide(static_cast<size_t>(needed), u'\0');
    const int32_t written = MultiByteToWideChar(codePage, 0, narrow.data(), static_cast<int32_t>(narrow.size()),
                                                wide.data(), needed);
    EXPECT_EQ(written, needed);
    return wide;
}

std::string ToNarrow(uint32_t codePage, const std::u16string& wide, BOOL* usedDefault = nullptr,
                     const char* defaultChar = nullptr) {
    const int32_t needed = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int32_t>(wide.size()), nullptr,
                                               0, defaultChar, nullptr);
    std::string narrow(static_cast<size_t>(needed), '\0');
    const int32_t written = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int32_t>(wide.size()),
                                                narrow.data(), needed, defaultChar, usedDefault);
    EXPECT_EQ(written, needed);
    return narrow;
}

struct ByteMapping {
    unsigned char byte;
    char16_t wide;
};

// The bytes 0x80-0x9F where Windows-1252 differs from Latin-1, the five it leaves
// undefined, and the degree sign that every message line carries.
constexpr ByteMapping kMappings[] = {
    {0x41, u'A'},     {0xB0, 0x00B0}, {0xFF, 0x00FF}, {0x80, 0x20AC}, {0x8A, 0x0160},
    {0x92, 0x2019},   {0x99, 0x2122}, {0x9F, 0x0178}, {0x81, 0x0081}, {0x8D, 0x008D},
    {0x8F, 0x008F},   {0x90, 0x0090}, {0x9D, 0x009D},
};

TEST(Windows1252, KnownBytesMapBothWaysInBothCodePageNames) {
    for (uint32_t codePage : {CP_ACP, CP_1252}) {
        for (const auto& m : kMappings) {
            SCOPED_TRACE(testing::Message() << "code page " << codePage << " byte 0x" << std::hex << int{m.byte});
            const std::string narrow(1, static_cast<char>(m.byte));
            EXPECT_EQ(ToWide(codePage, narrow), std::u16string(1, m.wide));
            EXPECT_EQ(ToNarrow(codePage, std::u16string(1, m.wide)), narrow);
        }
    }
}

TEST(Windows1252, EveryByteRoundTrips) {
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    const std::u16string wide = ToWide(CP_ACP, all);
    ASSERT_EQ(wide.size(), all.size());
    BOOL usedDefault = 1;
    EXPECT_EQ(ToNarrow(CP_ACP, wide, &usedDefault), all);
    EXPECT_EQ(usedDefault, 0);
    EXPECT_EQ(comrt::WideToAnsi(comrt::AnsiToWide(all)), all);
}

TEST(Windows1252, CharactersWithoutAByteBecomeTheDefault) {
    // U+0080 is a C1 control that Windows-1252 does not keep (0x80 is the euro sign).
    const std::u16string wide = u"a\u0080b\u4E2D\U0001F600c";
    BOOL usedDefault = 0;
    EXPECT_EQ(ToNarrow(CP_ACP, wide, &usedDefault), "a?b??c") << "a surrogate pair is one character";
    EXPECT_EQ(usedDefault, 1);
    EXPECT_EQ(ToNarrow(CP_ACP, wide, &usedDefault, "#"), "a#b##c");
    EXPECT_EQ(comrt::WideToAnsi(wide), "a?b??c");
}

TEST(Utf8, ConvertsAllLengthsAndSurrogatePairs) {
    const std::string utf8 = "A\xC2\xB0\xE2\x82\xAC\xF0\x9F\x98\x80";  // A ° € 😀
    const std::u16string wide = u"A\u00B0\u20AC\U0001F600";
    EXPECT_EQ(ToWide(CP_UTF8, utf8), wide);
    EXPECT_EQ(ToNarrow(CP_UTF8, wide), utf8);
    EXPECT_EQ(comrt::Utf8ToWide(utf8), wide);
    EXPECT_EQ(comrt::WideToUtf8(wide), utf8);
}

TEST(Utf8, MalformedInputFailsTheCallAndIsReplacedInTheConvenience) {
    const std::string malformed[] = {
        "\x80",              // continuation without a lead
        "\xC0\x80",          // overlong zero
        "\xE0\x80\xAF",      // overlong slash
        "\xE2\x82",          // truncated
        "\xED\xA0\x80",      // an encoded surrogate
        "\xF4\x90\x80\x80",  // above U+10FFFF
        "\xFF",              // never a lead byte
    };
    for (const std::string& bytes : malformed) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        const std::string text = "ok" + bytes;
        char16_t dst[16] = {};
        EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int32_t>(text.size()), nullptr, 0), 0);
        EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int32_t>(text.size()), dst, 16), 0);
        EXPECT_EQ(dst[0], u'\0') << "a failed conversion writes nothing";
        const std::u16string replaced = comrt::Utf8ToWide(text);
        EXPECT_EQ(replaced.substr(0, 2), u"ok");
        EXPECT_EQ(replaced[2], u'\uFFFD');
    }
}

TEST(Utf8, UnpairedSurrogateBecomesTheReplacementCharacter) {
    const std::u16string wide = {u'a', static_cast<char16_t>(0xD800), u'b'};
    EXPECT_EQ(ToNarrow(CP_UTF8, wide), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(comrt::WideToUtf8(wide), "a\xEF\xBF\xBD" "b");
}

TEST(AnsiToUtf8, DegreeSignAndEuroForTerminalOutput) {
    EXPECT_EQ(comrt::AnsiToUtf8("37.78 \xB0" "C \x80"), "37.78 \xC2\xB0" "C \xE2\x82\xAC");
}

TEST(ConversionBuffers, NeverWrittenPastDstLen) {
    const char* text = "\xB0" "F";
    std::array<char16_t, 6> wide;
    wide.fill(u'#');
    // Terminator included with -1: three characters needed.
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0), 3);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), 2), 0);
    EXPECT_EQ(wide[0], u'#') << "too small a buffer is left untouched";
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), 3), 3);
    EXPECT_EQ(std::u16string(wide.data(), 4), std::u16string(u"\u00B0F\0#", 4));

    const char16_t* source = u"\u00B0\u20AC";
    std::array<char, 6> narrow;
    narrow.fill('#');
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, source, -1, nullptr, 0, nullptr, nullptr), 6);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, source, -1, narrow.data(), 5, nullptr, nullptr), 0);
    EXPECT_EQ(narrow[0], '#');
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, source, 2, narrow.data(), 2, nullptr, nullptr), 2);
    EXPECT_EQ(std::string(narrow.data(), 3), "\xB0\x80#") << "an explicit length adds no terminator";
}

TEST(ConversionBuffers, InvalidArgumentsFail) {
    char16_t wide[4];
    char narrow[4];
    EXPECT_EQ(MultiByteToWideChar(437, 0, "a", 1, wide, 4), 0) << "unknown code page";
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, 1, wide, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "a", 0, wide, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "a", -2, wide, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "a", 1, wide, -1), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "a", 1, nullptr, 4), 0);
    EXPECT_EQ(WideCharToMultiByte(850, 0, u"a", 1, narrow, 4, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, nullptr, 1, narrow, 4, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"a", 1, nullptr, 4, nullptr, nullptr), 0);
}

}  // namespace
