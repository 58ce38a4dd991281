// The registrar: what scripts do in each mode, and scripts that do not parse.
#include <gtest/gtest.h>

#include "comrt/registrar.h"
#include "temp_registry.h"

namespace {

using namespace comrt::registry;
using comrt::registrar::ApplyScript;
using comrt::registrar::Mode;
using comrt::registrar::ScriptError;

KeyPath P(const std::string& text) { return ParseKeyPath(text); }

// One class's script as the library carries it: CRLF lines, tab indents.
std::string ClassScript() {
    std::string text =
        "HKCR\n{\n"
        "\tVolacor.API_5B1_1.1 = s 'API_5B1_1 Class'\n\t{\n\t\tCLSID = s '{56B62C92-EC0D-4665-BD33-344EDA44A966}'\n\t}\n"
        "\tVolacor.API_5B1_1 = s 'API_5B1_1 Class'\n\t{\n"
        "\t\tCLSID = s '{56B62C92-EC0D-4665-BD33-344EDA44A966}'\n\t\tCurVer = s 'Volacor.API_5B1_1.1'\n\t}\n"
        "\tNoRemove CLSID\n\t{\n"
        "\t\tForceRemove {56B62C92-EC0D-4665-BD33-344EDA44A966} = s 'API_5B1_1 Class'\n\t\t{\n"
        "\t\t\tProgID = s 'Volacor.API_5B1_1.1'\n\t\t\tVersionIndependentProgID = s 'Volacor.API_5B1_1'\n"
        "\t\t\tForceRemove 'Programmable'\n"
        "\t\t\tInprocServer32 = s '%MODULE%'\n\t\t\t{\n\t\t\t\tval ThreadingModel = s 'Apartment'\n\t\t\t}\n"
        "\t\t\t'TypeLib' = s '{6E5879F4-7635-4AA2-B9D4-528B04C33D2C}'\n"
        "\t\t}\n\t}\n}\n";
    std::string crlf;
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return crlf;
}

const char kClass[] = "HKCR\\CLSID\\{56B62C92-EC0D-4665-BD33-344EDA44A966}";

std::string Default(const Tree& tree, const std::string& key) {
    const Key* found = tree.find(P(key));
    if (!found) return "(no key)";
    return found->defaultValue().value_or("(no default)");
}

TEST(Registrar, RegistrationWritesEveryEntryOfTheScript) {
    Tree tree;
    ApplyScript(tree, ClassScript(), "/opt/it's here/libvolacor.so", Mode::Register);
    EXPECT_EQ(Default(tree, "HKCR\\Volacor.API_5B1_1.1"), "API_5B1_1 Class");
    EXPECT_EQ(Default(tree, "HKCR\\Volacor.API_5B1_1.1\\CLSID"), "{56B62C92-EC0D-4665-BD33-344EDA44A966}");
    EXPECT_EQ(Default(tree, "HKCR\\Volacor.API_5B1_1\\CurVer"), "Volacor.API_5B1_1.1");
    EXPECT_EQ(Default(tree, kClass), "API_5B1_1 Class");
    EXPECT_EQ(Default(tree, std::string(kClass) + "\\ProgID"), "Volacor.API_5B1_1.1");
    EXPECT_EQ(Default(tree, std::string(kClass) + "\\VersionIndependentProgID"), "Volacor.API_5B1_1");
    EXPECT_EQ(Default(tree, std::string(kClass) + "\\Programmable"), "(no default)");
    EXPECT_EQ(Default(tree, std::string(kClass) + "\\InprocServer32"), "/opt/it's here/libvolacor.so")
        << "the quote in the path is doubled in the script and read back single";
    EXPECT_EQ(*tree.find(P(std::string(kClass) + "\\InprocServer32"))->value("ThreadingModel"), "Apartment");
    EXPECT_EQ(Default(tree, std::string(kClass) + "\\TypeLib"), "{6E5879F4-7635-4AA2-B9D4-528B04C33D2C}");

    const std::string once = FormatRegistryText(tree);
    ApplyScript(tree, ClassScript(), "/opt/it's here/libvolacor.so", Mode::Register);
    EXPECT_EQ(FormatRegistryText(tree), once) << "registering twice leaves one set of entries";
}

TEST(Registrar, ForceRemoveReplacesTheKeyWholeAndNoRemoveKeepsWhatOthersHave) {
    Tree tree;
    tree.create(P(std::string(kClass) + "\\Stale")).setDefault("from an older version");
    tree.create(P("HKCR\\CLSID\\{OTHER}")).setDefault("another library's class");
    ApplyScript(tree, ClassScript(), "/lib.so", Mode::Register);
    EXPECT_EQ(tree.find(P(std::string(kClass) + "\\Stale")), nullptr) << "ForceRemove at registration";
    EXPECT_NE(tree.find(P("HKCR\\CLSID\\{OTHER}")), nullptr);

    // Someone else adds below the class key and below a plain key of the script.
    tree.create(P(std::string(kClass) + "\\Extra"));
    tree.create(P("HKCR\\Volacor.API_5B1_1\\Foreign"));
    ApplyScript(tree, ClassScript(), "/lib.so", Mode::Unregister);
    EXPECT_EQ(tree.find(P(kClass)), nullptr) << "ForceRemove at unregistration takes everything below";
    EXPECT_NE(tree.find(P("HKCR\\CLSID")), nullptr) << "NoRemove";
    EXPECT_NE(tree.find(P("HKCR\\CLSID\\{OTHER}")), nullptr);
    EXPECT_EQ(tree.find(P("HKCR\\Volacor.API_5B1_1.1")), nullptr);
    const Key* kept = tree.find(P("HKCR\\Volacor.API_5B1_1"));
    ASSERT_NE(kept, nullptr) << "a plain key with a subkey the script does not name stays";
    EXPECT_EQ(kept->subkey("CLSID"), nullptr);
    EXPECT_EQ(kept->subkey("CurVer"), nullptr);
    EXPECT_NE(kept->subkey("Foreign"), nullptr);
}

TEST(Registrar, NoRemoveKeyIsCreatedAtRegistrationAndItsNamedValuesGoAtUnregistration) {
    const std::string script =
        "HKCU\n{\n NoRemove Software\n {\n  val Marker = s 'mine'\n  Delete Obsolete\n  App = s 'x'\n }\n}\n";
    Tree tree;
    tree.create(P("HKCU\\Software\\Obsolete\\Deep"));
    ApplyScript(tree, script, "", Mode::Register);
    EXPECT_EQ(*tree.find(P("HKCU\\Software"))->value("Marker"), "mine");
    EXPECT_EQ(tree.find(P("HKCU\\Software\\Obsolete")), nullptr) << "Delete removes at registration";
    EXPECT_EQ(Default(tree, "HKCU\\Software\\App"), "x");
    ApplyScript(tree, script, "", Mode::Unregister);
    const Key* software = tree.find(P("HKCU\\Software"));
    ASSERT_NE(software, nullptr);
    EXPECT_EQ(software->value("Marker"), nullptr);
    EXPECT_TRUE(software->subkeys().empty());
    EXPECT_NO_THROW(ApplyScript(tree, script, "", Mode::Unregister)) << "unregistering what is absent";
}

TEST(Registrar, MalformedScriptsGiveTheirLineAndChangeNothing) {
    struct Case {
        const char* script;
        int line;
        const char* says;
    };
    const Case cases[] = {
        {"HKCR\n{\n\tA = s 'x'\n", 4, "ends before a closing '}'"},
        {"HKXX\n{\n}\n", 1, "unknown root key"},
        {"HKCR\n{\n\tA = s 'unclosed\n}\n", 3, "not closed on its line"},
        {"HKCR\n{\n\tA = d '1'\n}\n", 3, "only s (string)"},
        {"HKCR\n{\n\tA = s text\n}\n", 3, "in single quotes"},
        {"HKCR\n{\n\tA\n\t{\n\t\tval = s 'x'\n\t}\n}\n", 5, "expected a value name"},
        {"HKCR\n{\n\tval V = s 'x'\n}\n", 3, "directly under a root"},
        {"HKCR\n{\n\t'' = s 'x'\n}\n", 3, "empty a key name"},
        {"HKCR\n{\n\t'A\\B' = s 'x'\n}\n", 3, "backslash"},
        {"HKCR\n{\n\tA\n\t{\n\t\tval V = s 'x'\n\t\tval v = s 'y'\n\t}\n}\n", 6, "given twice"},
        {"HKCR\n{\n\tNoRemove\n", 4, "ends"},
        {"HKCR\r\n{\r\n\tA =\r\n", 4, "value type"},
        {"HKCR {\n A { B = s 'x' }\n}\n}\n", 4, "expected a root key"},
    };
    TempRegistry registry;
    Update([](Tree& tree) { tree.create(P("HKCR\\Existing")); });
    const std::string before = registry.Text();
    for (const Case& c : cases) {
        try {
            comrt::registrar::RunScript(c.script, "/lib.so", Mode::Register);
            ADD_FAILURE() << "accepted: " << c.script;
        } catch (const ScriptError& error) {
            EXPECT_EQ(error.line(), c.line) << c.script << error.what();
            EXPECT_NE(std::string(error.what()).find(c.says), std::string::npos) << error.what();
        }
        EXPECT_EQ(registry.Text(), before);
    }
    // A fault late in a script leaves even its good first half unwritten.
    EXPECT_THROW(comrt::registrar::RunScript("HKCR\n{\n\tGood = s 'x'\n\tBad = q 'y'\n}\n", "", Mode::Register),
                 ScriptError);
    EXPECT_EQ(registry.Text(), before);
}

TEST(Registrar, DeepNestingIsRefusedNotRecursedWithoutEnd) {
    std::string script = "HKCR\n{\n";
    for (int i = 0; i < 10000; ++i) script += "K {\n";
    Tree tree;
    EXPECT_THROW(ApplyScript(tree, script, "", Mode::Register), ScriptError);
}

TEST(Registrar, ModulePathWithALineBreakIsRefused) {
    Tree tree;
    EXPECT_THROW(ApplyScript(tree, ClassScript(), "/evil\n}\nHKCR {", Mode::Register), std::invalid_argument);
    EXPECT_TRUE(tree.roots().empty());
    EXPECT_EQ(comrt::registrar::DoubleQuotes("a'b''c"), "a''b''''c");
}

}  // namespace
