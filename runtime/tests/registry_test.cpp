// The registry file: its format, its names, and the read-change-write cycle.
#include <gtest/gtest.h>

#include <stdlib.h>

#include "comrt/registry.h"
#include "temp_registry.h"

namespace {

using namespace comrt::registry;

KeyPath P(const char* text) { return ParseKeyPath(text); }

TEST(RegistryText, RoundTripKeepsOrderCaseAndAwkwardBytes) {
    Tree tree;
    Key& clsid = tree.create(P("HKCR\\CLSID\\{E01D4667-D71B-4e00-8337-648D6E694D19}"));
    clsid.setDefault("Orvan \"API\" \\ Class\ttab\nline\x01");
    clsid.openOrCreate("InprocServer32").setValue("ThreadingModel", "Apartment");
    clsid.openOrCreate("Programmable");
    tree.create(P("HKCU\\Software\\[odd] name"));
    tree.create(P("HKCR\\Volacor.API_5B1_1")).setDefault("");

    const std::string text = FormatRegistryText(tree);
    const Tree back = ParseRegistryText(text, "test");
    EXPECT_EQ(FormatRegistryText(back), text);
    const Key* read = back.find(P("hkey_classes_root\\clsid\\{e01d4667-d71b-4E00-8337-648d6e694d19}"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->name(), "{E01D4667-D71B-4e00-8337-648D6E694D19}") << "names keep the case they were written with";
    EXPECT_EQ(*read->defaultValue(), "Orvan \"API\" \\ Class\ttab\nline\x01");
    EXPECT_EQ(*read->subkey("inprocserver32")->value("threadingmodel"), "Apartment");
    ASSERT_TRUE(back.find(P("HKCR\\Volacor.API_5B1_1"))->defaultValue().has_value()) << "an empty default is a default";
    EXPECT_FALSE(back.find(P("HKCR\\CLSID"))->defaultValue().has_value());
    EXPECT_NE(back.find(P("HKCU\\Software\\[odd] name")), nullptr);
}

TEST(RegistryText, SettingAValueInAnotherCaseKeepsOneValueAndItsFirstSpelling) {
    Key key("K");
    key.setValue("ThreadingModel", "Free");
    key.setValue("THREADINGMODEL", "Apartment");
    ASSERT_EQ(key.values().size(), 1u);
    EXPECT_EQ(key.values()[0].name, "ThreadingModel");
    EXPECT_EQ(key.values()[0].data, "Apartment");
    EXPECT_EQ(&key.openOrCreate("Sub"), &key.openOrCreate("SUB"));
}

TEST(RegistryText, EmptyTextIsAnEmptyRegistry) {
    EXPECT_TRUE(ParseRegistryText("", "f").roots().empty());
}

TEST(RegistryText, FaultsNameTheFileAndLine) {
    struct Case {
        const char* text;
        int line;
        const char* says;
    };
    const Case cases[] = {
        {"registry 2\nend\n", 1, "not a registry file"},
        {"comrt registry 1\n@ = \"x\"\nend\n", 2, "before the first [key]"},
        {"comrt registry 1\n[HKCR\\A]\n@ = \"x\nend\n", 3, "not closed"},
        {"comrt registry 1\n[HKXX\\A]\nend\n", 2, "does not start with HKCR"},
        {"comrt registry 1\n[HKCR\\\\A]\nend\n", 2, "empty name"},
        {"comrt registry 1\n[HKCR\\A]\n[hkcr\\a]\nend\n", 3, "written twice"},
        {"comrt registry 1\n[HKCR\\A]\n@ = \"x\"\n@ = \"y\"\nend\n", 4, "default value is written twice"},
        {"comrt registry 1\n[HKCR\\A]\n\"v\" = \"x\"\n\"V\" = \"y\"\nend\n", 4, "written twice"},
        {"comrt registry 1\n[HKCR\\A]\n\"v\" \"x\"\nend\n", 3, "expected '='"},
        {"comrt registry 1\n[HKCR\\A]\n@ = \"\\q\"\nend\n", 3, "unknown escape"},
        {"comrt registry 1\n[HKCR\\A]\n@ = \"\\x4\"\nend\n", 3, "two hexadecimal digits"},
        {"comrt registry 1\n[HKCR\\A]\n@ = \"x\" junk\nend\n", 3, "text after"},
        {"comrt registry 1\n[HKCR\\A\nend\n", 2, "must end with ']'"},
        // Cut short: at a line end, inside a line, before the end line.
        {"comrt registry 1\n[HKCR\\A]\n", 3, "ends before its \"end\" line"},
        {"comrt registry 1\n[HKCR\\A]\n@ = \"abc", 3, "no line end"},
        {"comrt registry 1\n[HKCR\\A]\nen", 3, "no line end"},
        {"comrt registry 1\n[HKCR\\A]\nend\n[HKCR\\B]\n", 4, "after the \"end\" line"},
    };
    for (const Case& c : cases) {
        try {
            ParseRegistryText(c.text, "/some/registry");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const RegistryError& error) {
            EXPECT_EQ(error.line(), c.line) << c.text;
            EXPECT_EQ(error.file(), "/some/registry");
            const std::string what = error.what();
            EXPECT_NE(what.find("/some/registry, line " + std::to_string(c.line) + ": "), std::string::npos) << what;
            EXPECT_NE(what.find(c.says), std::string::npos) << what;
        }
    }
}

TEST(RegistryText, ExportOfOneKeyCarriesItsParentsAndReadsBack) {
    Tree tree;
    tree.create(P("HKCR\\CLSID\\{A}\\InprocServer32")).setDefault("/lib.so");
    tree.create(P("HKCR\\CLSID\\{B}")).setDefault("other");
    const std::string text = FormatRegistryText(tree, P("hkcr\\clsid\\{a}"));
    EXPECT_EQ(text,
              "comrt registry 1\n[HKCR]\n[HKCR\\CLSID]\n[HKCR\\CLSID\\{A}]\n"
              "[HKCR\\CLSID\\{A}\\InprocServer32]\n@ = \"/lib.so\"\nend\n");
    EXPECT_NO_THROW(ParseRegistryText(text, "export"));
    EXPECT_EQ(FormatRegistryText(tree, P("HKCR\\CLSID\\{C}")), "");
}

TEST(KeyPaths, RootsInEveryFormAndBadPaths) {
    EXPECT_EQ(P("HKEY_CLASSES_ROOT\\CLSID").text(), "HKCR\\CLSID");
    EXPECT_EQ(P("hkcu").text(), "HKCU");
    EXPECT_THROW(P("CLSID\\{A}"), std::invalid_argument);
    EXPECT_THROW(P("HKCR\\A\\"), std::invalid_argument);
    EXPECT_THROW(P("HKCR\\A\nB"), std::invalid_argument);
}

TEST(RegistryStore, MissingFileIsEmptyAndTheFirstWriteMakesFolderAndFile) {
    TempRegistry registry;
    setenv("COMRT_REGISTRY", (registry.folder() / "sub" / "dir" / "registry").c_str(), 1);
    EXPECT_TRUE(Load().roots().empty());
    EXPECT_FALSE(std::filesystem::exists(registry.folder() / "sub")) << "reading writes nothing";
    Update([](Tree& tree) { tree.create(P("HKCR\\A")).setDefault("1"); });
    EXPECT_EQ(*Load().find(P("HKCR\\A"))->defaultValue(), "1");
}

TEST(RegistryStore, TheEnvironmentIsReadAtEveryOperation) {
    TempRegistry first;
    Update([](Tree& tree) { tree.create(P("HKCR\\First")); });
    {
        TempRegistry second;
        EXPECT_EQ(Load().find(P("HKCR\\First")), nullptr);
        Update([](Tree& tree) { tree.create(P("HKCR\\Second")); });
    }
    const Tree tree = Load();
    EXPECT_NE(tree.find(P("HKCR\\First")), nullptr);
    EXPECT_EQ(tree.find(P("HKCR\\Second")), nullptr);
}

TEST(RegistryStore, DefaultPathFollowsXdgDataHomeThenHome) {
    TempRegistry registry;  // restores COMRT_REGISTRY afterwards
    const std::string home = getenv("HOME") ? getenv("HOME") : "";
    const std::string xdg = getenv("XDG_DATA_HOME") ? getenv("XDG_DATA_HOME") : "";
    unsetenv("COMRT_REGISTRY");
    setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_EQ(RegistryPath(), "/data/home/comrt/registry");
    setenv("XDG_DATA_HOME", "relative/ignored", 1);
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(RegistryPath(), "/home/someone/.local/share/comrt/registry");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(RegistryPath(), "/home/someone/.local/share/comrt/registry");
    setenv("HOME", home.c_str(), 1);
    if (xdg.empty()) unsetenv("XDG_DATA_HOME");
    else setenv("XDG_DATA_HOME", xdg.c_str(), 1);
}

TEST(RegistryStore, ACorruptFileIsReportedAndNeverWrittenOver) {
    TempRegistry registry;
    const std::string corrupt = "comrt registry 1\n[HKCR\\A]\n@ = \"cut";
    registry.Write(corrupt);
    try {
        Update([](Tree& tree) { tree.create(P("HKCR\\B")); });
        ADD_FAILURE() << "a corrupt registry was updated";
    } catch (const RegistryError& error) {
        EXPECT_EQ(error.file(), registry.file().string());
        EXPECT_EQ(error.line(), 3);
    }
    EXPECT_THROW(Load(), RegistryError);
    EXPECT_EQ(registry.Text(), corrupt);
    EXPECT_EQ(registry.Leftovers(), 0);
}

TEST(RegistryStore, AChangeThatThrowsWritesNothing) {
    TempRegistry registry;
    Update([](Tree& tree) { tree.create(P("HKCR\\A")); });
    const std::string before = registry.Text();
    EXPECT_THROW(Update([](Tree& tree) {
                     tree.create(P("HKCR\\B"));
                     throw std::runtime_error("halfway");
                 }),
                 std::runtime_error);
    EXPECT_EQ(registry.Text(), before);
}

TEST(RegistryStore, TransactionsWriteOnceOrNotAtAll) {
    TempRegistry registry;
    ASSERT_EQ(comrt_RegBeginTransaction(), S_OK);
    Update([](Tree& tree) { tree.create(P("HKCR\\A")); });
    ASSERT_EQ(comrt_RegBeginTransaction(), S_OK);  // nested, as a library's own
    Update([](Tree& tree) { tree.create(P("HKCR\\B")); });
    EXPECT_NE(Load().find(P("HKCR\\B")), nullptr) << "the transaction sees its own changes";
    EXPECT_FALSE(std::filesystem::exists(registry.file())) << "nothing is written before the end";
    ASSERT_EQ(comrt_RegEndTransaction(1), S_OK);
    EXPECT_FALSE(std::filesystem::exists(registry.file()));
    ASSERT_EQ(comrt_RegEndTransaction(1), S_OK);
    const Tree written = Load();
    EXPECT_NE(written.find(P("HKCR\\A")), nullptr);
    EXPECT_NE(written.find(P("HKCR\\B")), nullptr);

    const std::string before = registry.Text();
    ASSERT_EQ(comrt_RegBeginTransaction(), S_OK);
    ASSERT_EQ(comrt_RegBeginTransaction(), S_OK);
    Update([](Tree& tree) { tree.remove(P("HKCR\\A")); });
    ASSERT_EQ(comrt_RegEndTransaction(0), S_OK);  // an inner failure dooms the whole
    ASSERT_EQ(comrt_RegEndTransaction(1), S_OK);
    EXPECT_EQ(registry.Text(), before);
    EXPECT_EQ(comrt_RegEndTransaction(1), E_UNEXPECTED);
}

TEST(RegistryStore, ATransactionOnACorruptFileCannotBegin) {
    TempRegistry registry;
    registry.Write("garbage\n");
    EXPECT_EQ(comrt_RegBeginTransaction(), REGDB_E_READREGDB);
    EXPECT_NE(LastError().find(registry.file().string() + ", line 1"), std::string::npos) << LastError();
    EXPECT_EQ(comrt_RegEndTransaction(1), E_UNEXPECTED);
    EXPECT_EQ(registry.Text(), "garbage\n");
}

}  // namespace
