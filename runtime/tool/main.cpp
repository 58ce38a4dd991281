// comrt: registration of component libraries and queries of the registry.
#include <CLI/CLI.hpp>

#include "commands.h"

int main(int argc, char** argv) {
    using namespace comrt::tool;
    CLI::App app{"comrt: registers component libraries and reads or changes the registry\n"
                 "(the file $COMRT_REGISTRY, else ${XDG_DATA_HOME:-$HOME/.local/share}/comrt/registry)"};
    app.require_subcommand(1);
    int status = kOk;

    std::string library;
    auto* reg = app.add_subcommand("register", "Register a component library (calls its DllRegisterServer)");
    reg->add_option("LIBRARY", library, "the library's file; a relative path is made absolute")->required();
    reg->callback([&] { status = RunRegister(library, true); });
    auto* unreg = app.add_subcommand("unregister", "Unregister a component library (calls its DllUnregisterServer)");
    unreg->add_option("LIBRARY", library, "the library's file; a relative path is made absolute")->required();
    unreg->callback([&] { status = RunRegister(library, false); });

    auto* regCommand = app.add_subcommand("reg", "Read or change the registry");
    regCommand->require_subcommand(1);
    std::string key;
    std::vector<std::string> rest;
    auto* get = regCommand->add_subcommand("get", "Print a key's default value, or one named value (exit 1: absent)");
    get->add_option("KEY", key, "a key such as HKCR\\Volacor.API_5B1_1\\CurVer")->required();
    get->add_option("VALUE", rest, "the name of a value of the key")->expected(0, 1);
    get->callback([&] { status = RunRegGet(key, rest); });
    auto* set = regCommand->add_subcommand("set", "Set a key's default value (KEY DATA) or a named value (KEY VALUE DATA)");
    set->add_option("KEY", key, "the key, created with its parents when absent")->required();
    set->add_option("ARGS", rest, "[VALUE] DATA")->expected(1, 2)->required();
    set->callback([&] { status = RunRegSet(key, rest); });
    auto* del = regCommand->add_subcommand("delete", "Delete a key with everything below it (exit 1: absent)");
    del->add_option("KEY", key, "the key")->required();
    del->callback([&] { status = RunRegDelete(key); });
    auto* exp = regCommand->add_subcommand("export", "Print the registry, or one key with its subkeys, in the file's format");
    exp->add_option("KEY", rest, "the key; the whole registry when absent")->expected(0, 1);
    exp->callback([&] { status = RunRegExport(rest); });

    auto* typelib = app.add_subcommand("typelib", "Print the type descriptions a library carries, one per line");
    typelib->add_option("LIBRARY", library, "the library's file")->required();
    typelib->callback([&] { status = RunTypeLib(library); });

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::ParseError& error) {
        app.exit(error);
        return error.get_exit_code() == 0 ? kOk : kUsage;
    }
    return status;
}
