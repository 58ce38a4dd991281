// The type-library format, read from the library's own source, and its registration.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "comrt/guid.h"
#include "comrt/typelib.h"

namespace {

using namespace comrt::typelib;
using comrt::registry::ParseKeyPath;

std::string LibraryText() {
    std::ifstream in(VOLACOR_SOURCE_DIR "/server/resources/volacor.typelib", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string IdText(const GUID& id) {
    char text[39];
    comrt_GuidToString(id, text, sizeof text);
    return text;
}

TEST(TypeLibrary, TheLibrarysOwnDescribesNineClassesEachWithItsInterface) {
    const TypeLibrary lib = ParseTypeLibrary(LibraryText());
    EXPECT_EQ(lib.name, "VOLACORLib");
    EXPECT_EQ(IdText(lib.libraryId), "{6E5879F4-7635-4AA2-B9D4-528B04C33D2C}");
    EXPECT_EQ(lib.major, 1);
    EXPECT_EQ(lib.minor, 0);
    EXPECT_EQ(lib.lcid, 1033u);
    EXPECT_EQ(lib.syskind, "win64");
    EXPECT_EQ(lib.help, "Volacor 1.0 Type Library");
    ASSERT_EQ(lib.imports.size(), 1u);
    EXPECT_EQ(IdText(lib.imports[0].libraryId), "{00020430-0000-0000-C000-000000000046}");

    struct Row {
        const char* name;
        const char* classId;
        const char* interfaceId;
    };
    const Row rows[] = {
        {"API_5B1_1", "{56B62C92-EC0D-4665-BD33-344EDA44A966}", "{9DDF0C70-8C80-45DC-AF99-04EF6F1C5EF0}"},
        {"API_5B1_2", "{C825E724-A00D-4ABE-8019-EFD13042B3B4}", "{F4216794-2A8C-438A-B937-3B5CE01AC802}"},
        {"ASTM_D323_73_79", "{54956A09-35CE-468E-882A-F41AC5FC60FE}", "{CE34F1CD-938B-4FB0-B479-EC53712219D8}"},
        {"ASTM_D323_82", "{A6EB1E69-35C8-462B-9B73-598FD6D93E9D}", "{7234641C-AEA4-4B00-B76E-5A0959B1F50D}"},
        {"ASTM_D4953_91", "{5E153722-DC95-4914-8968-9BDF1D022EB3}", "{FC55ECBD-29AC-435E-ADC6-37F50A8271EA}"},
        {"ASTM_D5191_91", "{37C4EEEC-6564-4504-BAEB-13C89130A860}", "{E6D9D275-ADAA-4F7B-87DE-4FD766BCACF8}"},
        {"ASTM_D6377_16", "{383A842D-252E-4AE7-A8A6-BB1DA6FAFE2D}", "{8C57D027-1076-4846-A8FC-F102B2090535}"},
        {"Orvan_API", "{E01D4667-D71B-4E00-8337-648D6E694D19}", "{B3BED16D-CBB6-41E8-8EDA-7543649BE47A}"},
        {"ModifiedASTM", "{85E31F8C-B0E9-490A-99F9-2F7CCA42698E}", "{E3FA5ADB-BC94-491E-873D-2122BC0FAC8F}"},
    };
    ASSERT_EQ(lib.types.size(), 18u);
    for (size_t i = 0; i < 9; ++i) {
        const TypeDescription& coclass = lib.types[2 * i];
        const TypeDescription& iface = lib.types[2 * i + 1];
        const std::string name = rows[i].name;
        EXPECT_EQ(coclass.kind, TypeDescription::Kind::CoClass);
        EXPECT_EQ(coclass.name, name);
        EXPECT_EQ(IdText(coclass.id), rows[i].classId);
        EXPECT_EQ(coclass.help, name + " Class");
        EXPECT_EQ(coclass.flags, std::vector<std::string>{"canCreate"});
        ASSERT_EQ(coclass.implements.size(), 1u);
        EXPECT_EQ(coclass.implements[0].name, "I" + name);
        EXPECT_TRUE(coclass.implements[0].isDefault);
        EXPECT_EQ(iface.kind, TypeDescription::Kind::Interface);
        EXPECT_EQ(iface.name, "I" + name);
        EXPECT_EQ(IdText(iface.id), rows[i].interfaceId);
        EXPECT_EQ(iface.help, "I" + name + " Interface");
        EXPECT_EQ(iface.flags, (std::vector<std::string>{"dual", "oleautomation", "dispatchable"}));
        EXPECT_EQ(iface.inherits, "IDispatch");
    }
    EXPECT_EQ(FormatTypeLibrary(lib), LibraryText()) << "the file is in the formatter's own form";
}

TEST(TypeLibrary, FaultsNameTheirLine) {
    const std::string head = "comrt typelib 1\nlibrary L {6E5879F4-7635-4AA2-B9D4-528B04C33D2C} version=1.0 lcid=0 syskind=win64\n";
    struct Case {
        std::string text;
        int line;
        const char* says;
    };
    const Case cases[] = {
        {"typelib\n", 1, "not a type library"},
        {head, 3, "ends before"},
        {head + "coclass C {bad} help=\"x\"\nend\n", 3, "not a class id"},
        {head + "coclass C {56B62C92-EC0D-4665-BD33-344EDA44A966} implements=IMissing\nend\n", 3, "does not describe"},
        {head + "interface I {56B62C92-EC0D-4665-BD33-344EDA44A966} flags=dual\nend\n", 3, "inherits is missing"},
        {head + "interface I {56B62C92-EC0D-4665-BD33-344EDA44A966} inherits=IDispatch flags=canCreate\nend\n", 3, "unknown flag"},
        {head + "interface I {56B62C92-EC0D-4665-BD33-344EDA44A966} inherits=IDispatch help=\"open\nend\n", 3, "not closed"},
        {head + "struct S {56B62C92-EC0D-4665-BD33-344EDA44A966}\nend\n", 3, "unknown kind"},
        {"comrt typelib 1\nlibrary L {6E5879F4-7635-4AA2-B9D4-528B04C33D2C} version=1 lcid=0 syskind=win64\nend\n", 2, "major.minor"},
    };
    for (const Case& c : cases) {
        try {
            ParseTypeLibrary(c.text);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const TypeLibError& error) {
            EXPECT_EQ(error.line(), c.line) << c.text;
            EXPECT_NE(std::string(error.what()).find(c.says), std::string::npos) << error.what();
        }
    }
}

TEST(TypeLibrary, RegistrationRecordsTheLibraryAndEachInterfaceAndUndoesIt) {
    const TypeLibrary lib = ParseTypeLibrary(LibraryText());
    comrt::registry::Tree tree;
    tree.create(ParseKeyPath("HKCR\\TypeLib\\{6E5879F4-7635-4AA2-B9D4-528B04C33D2C}\\2.0"));  // another version
    RecordRegistration(tree, lib, "/opt/volacor/libvolacor.so");
    const std::string version = "HKCR\\TypeLib\\{6E5879F4-7635-4AA2-B9D4-528B04C33D2C}\\1.0";
    EXPECT_EQ(*tree.find(ParseKeyPath(version))->defaultValue(), "Volacor 1.0 Type Library");
    EXPECT_EQ(*tree.find(ParseKeyPath(version + "\\0\\win64"))->defaultValue(), "/opt/volacor/libvolacor.so");
    EXPECT_EQ(*tree.find(ParseKeyPath(version + "\\FLAGS"))->defaultValue(), "0");
    EXPECT_EQ(*tree.find(ParseKeyPath(version + "\\HELPDIR"))->defaultValue(), "/opt/volacor");
    const std::string iface = "HKCR\\Interface\\{8C57D027-1076-4846-A8FC-F102B2090535}";
    EXPECT_EQ(*tree.find(ParseKeyPath(iface))->defaultValue(), "IASTM_D6377_16");
    EXPECT_EQ(*tree.find(ParseKeyPath(iface + "\\TypeLib"))->defaultValue(), "{6E5879F4-7635-4AA2-B9D4-528B04C33D2C}");
    EXPECT_EQ(*tree.find(ParseKeyPath(iface + "\\TypeLib"))->value("Version"), "1.0");
    EXPECT_EQ(tree.find(ParseKeyPath("HKCR\\Interface"))->subkeys().size(), 9u);
    EXPECT_EQ(tree.find(ParseKeyPath("HKCR\\Interface\\{56B62C92-EC0D-4665-BD33-344EDA44A966}")), nullptr)
        << "classes are not interfaces";

    RemoveRegistration(tree, lib);
    EXPECT_EQ(tree.find(ParseKeyPath(version)), nullptr);
    EXPECT_NE(tree.find(ParseKeyPath("HKCR\\TypeLib\\{6E5879F4-7635-4AA2-B9D4-528B04C33D2C}\\2.0")), nullptr);
    EXPECT_TRUE(tree.find(ParseKeyPath("HKCR\\Interface"))->subkeys().empty());
}

}  // namespace
