// Which copy of a component library a bare name finds. Built twice: once run with the
// default environment (the copy on the program's RUNPATH wins), once with the other
// copy's folder first on LD_LIBRARY_PATH (that copy wins).
#include <string>

#include <gtest/gtest.h>

#include "comrt/library.h"
#include "comrt/owners.h"

// Each build names its own suite, so the two programs register distinct tests.
#ifndef COMRT_SEARCH_SUITE
#error "COMRT_SEARCH_SUITE names the test suite"
#endif

namespace {

std::string WhichCopy(HMODULE module) {
    auto which = reinterpret_cast<const char* (*)()>(GetProcAddress(module, "comrt_fixture_which"));
    return which ? which() : "no export";
}

TEST(COMRT_SEARCH_SUITE, DllNameFindsTheCopyTheLoaderWouldChoose) {
    comrt::UniqueLibrary library(CoLoadLibrary(u"comrtwhich.DLL", 0));
    ASSERT_TRUE(library);
    EXPECT_EQ(WhichCopy(library.get()), COMRT_EXPECTED_WHICH);

    comrt::UniqueLibrary again(LoadLibraryA("libcomrtwhich.so"));
    EXPECT_EQ(again.get(), library.get()) << "the same library loaded twice is one module";
}

}  // namespace
