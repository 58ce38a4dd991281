// The type-library text format: one item a line, words separated by spaces, attributes
// written name=value (a value with spaces in double quotes, \" and \\ escaped).
#include <charconv>
#include <map>
#include <set>

#include "comrt/guid.h"
#include "comrt/typelib.h"

namespace comrt::typelib {
namespace {

constexpr char kHeader[] = "comrt typelib 1";
constexpr char kEnd[] = "end";

const std::set<std::string> kCoClassFlags = {"canCreate", "hidden", "control", "licensed", "aggregatable"};
const std::set<std::string> kInterfaceFlags = {"dual", "oleautomation", "dispatchable", "hidden", "nonextensible"};

struct Words {
    std::vector<std::string> plain;               // kind, name, id
    std::map<std::string, std::string> attributes;  // name=value
};

Words SplitLine(std::string_view line, int number) {
    Words words;
    size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && line[at] == ' ') ++at;
        if (at >= line.size()) break;
        std::string word;
        bool hasEquals = false;
        std::string key;
        while (at < line.size() && line[at] != ' ') {
            const char c = line[at];
            if (c == '=' && !hasEquals) {
                hasEquals = true;
                key = word;
                word.clear();
                ++at;
                if (at < line.size() && line[at] == '"') {
                    ++at;
                    while (true) {
                        if (at >= line.size()) throw TypeLibError(number, "a quoted value is not closed");
                        char q = line[at++];
                        if (q == '"') break;
                        if (q == '\\') {
                            if (at >= line.size()) throw TypeLibError(number, "a quoted value is not closed");
                            q = line[at++];
                            if (q != '"' && q != '\\') throw TypeLibError(number, "only \\\" and \\\\ may be escaped");
                        }
                        word += q;
                    }
                    if (at < line.size() && line[at] != ' ')
                        throw TypeLibError(number, "a space must follow a quoted value");
                    break;
                }
                continue;
            }
            word += c;
            ++at;
        }
        if (hasEquals) {
            if (key.empty()) throw TypeLibError(number, "an attribute without a name");
            if (!words.attributes.emplace(key, word).second)
                throw TypeLibError(number, "the attribute " + key + " is given twice");
        } else {
            if (!words.attributes.empty()) throw TypeLibError(number, "a word after the attributes: " + word);
            words.plain.push_back(word);
        }
    }
    return words;
}

GUID ParseId(const std::string& text, int number) {
    GUID id{};
    if (FAILED(comrt_StringToGuid(text.c_str(), &id))) throw TypeLibError(number, "not a class id in braces: " + text);
    return id;
}

void ParseVersion(const std::string& text, int number, int& major, int& minor) {
    const size_t dot = text.find('.');
    auto number_of = [&](std::string_view part, int& out) {
        const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), out);
        if (error != std::errc() || end != part.data() + part.size() || part.empty() || out < 0 || out > 65535)
            throw TypeLibError(number, "a version is major.minor, each 0 to 65535: " + text);
    };
    if (dot == std::string::npos) throw TypeLibError(number, "a version is major.minor: " + text);
    number_of(std::string_view(text).substr(0, dot), major);
    number_of(std::string_view(text).substr(dot + 1), minor);
}

std::string Take(Words& words, const std::string& name, int number, bool required) {
    auto found = words.attributes.find(name);
    if (found == words.attributes.end()) {
        if (required) throw TypeLibError(number, "the attribute " + name + " is missing");
        return {};
    }
    std::string value = std::move(found->second);
    words.attributes.erase(found);
    return value;
}

void NoMoreAttributes(const Words& words, int number) {
    if (!words.attributes.empty()) throw TypeLibError(number, "unknown attribute " + words.attributes.begin()->first);
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    size_t start = 0;
    while (start <= text.size() && !text.empty()) {
        const size_t comma = text.find(',', start);
        items.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return items;
}

std::string IdText(const GUID& id) {
    char text[GUID_STRING_CHARS + 1];
    comrt_GuidToString(id, text, sizeof text);
    return text;
}

std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

std::string Join(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) out += (out.empty() ? "" : ",") + item;
    return out;
}

void CheckName(const std::string& name, int number) {
    if (name.empty()) throw TypeLibError(number, "a type needs a name");
    for (char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '.'))
            throw TypeLibError(number, "a name holds letters, digits, '_' and '.' only: " + name);
}

}  // namespace

TypeLibError::TypeLibError(int line, const std::string& message)
    : std::runtime_error("line " + std::to_string(line) + ": " + message), line_(line) {}

TypeLibrary ParseTypeLibrary(std::string_view text) {
    TypeLibrary library;
    bool haveLibrary = false;
    bool ended = false;
    int number = 0;
    size_t pos = 0;
    std::set<std::string> interfaces;
    std::vector<std::pair<int, const TypeDescription*>> toCheck;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (number == 1) {
            if (line != kHeader) throw TypeLibError(1, std::string("not a type library: the first line is not \"") + kHeader + "\"");
            continue;
        }
        if (ended) {
            if (!line.empty()) throw TypeLibError(number, "text after the \"end\" line");
            continue;
        }
        if (line.empty() || line.front() == '#') continue;
        if (line == kEnd) {
            ended = true;
            continue;
        }
        Words words = SplitLine(line, number);
        if (words.plain.size() != 3) throw TypeLibError(number, "expected: kind name {id} attributes...");
        const std::string& kind = words.plain[0];
        if (kind == "library") {
            if (haveLibrary) throw TypeLibError(number, "a second library line");
            haveLibrary = true;
            CheckName(words.plain[1], number);
            library.name = words.plain[1];
            library.libraryId = ParseId(words.plain[2], number);
            ParseVersion(Take(words, "version", number, true), number, library.major, library.minor);
            const std::string lcid = Take(words, "lcid", number, true);
            const auto [lcidEnd, error] = std::from_chars(lcid.data(), lcid.data() + lcid.size(), library.lcid);
            if (error != std::errc() || lcidEnd != lcid.data() + lcid.size() || lcid.empty())
                throw TypeLibError(number, "lcid is a number: " + lcid);
            library.syskind = Take(words, "syskind", number, true);
            if (library.syskind != "win64" && library.syskind != "win32")
                throw TypeLibError(number, "syskind is win32 or win64: " + library.syskind);
            library.help = Take(words, "help", number, false);
            NoMoreAttributes(words, number);
            continue;
        }
        if (!haveLibrary) throw TypeLibError(number, "the library line must come first");
        if (kind == "importlib") {
            ImportedLibrary imported;
            imported.name = words.plain[1];
            imported.libraryId = ParseId(words.plain[2], number);
            ParseVersion(Take(words, "version", number, true), number, imported.major, imported.minor);
            NoMoreAttributes(words, number);
            library.imports.push_back(imported);
            continue;
        }
        TypeDescription type;
        if (kind == "coclass") type.kind = TypeDescription::Kind::CoClass;
        else if (kind == "interface") type.kind = TypeDescription::Kind::Interface;
        else throw TypeLibError(number, "unknown kind " + kind + " (library, importlib, coclass, interface)");
        CheckName(words.plain[1], number);
        type.name = words.plain[1];
        type.id = ParseId(words.plain[2], number);
        for (const TypeDescription& other : library.types)
            if (other.name == type.name) throw TypeLibError(number, "the type " + type.name + " is described twice");
        type.help = Take(words, "help", number, false);
        const std::string flags = Take(words, "flags", number, false);
        type.flags = SplitList(flags);
        const auto& allowed = type.kind == TypeDescription::Kind::CoClass ? kCoClassFlags : kInterfaceFlags;
        for (const std::string& flag : type.flags)
            if (!allowed.count(flag)) throw TypeLibError(number, "unknown flag " + flag + " for a " + kind);
        if (type.kind == TypeDescription::Kind::Interface) {
            type.inherits = Take(words, "inherits", number, true);
            if (type.inherits != "IDispatch" && type.inherits != "IUnknown" && !interfaces.count(type.inherits))
                throw TypeLibError(number, "inherits IDispatch, IUnknown or an interface described before it");
            interfaces.insert(type.name);
        } else {
            for (const std::string& item : SplitList(Take(words, "implements", number, false))) {
                ImplementedInterface implemented;
                implemented.name = item;
                if (item.size() > 9 && item.compare(item.size() - 9, 9, "[default]") == 0) {
                    implemented.name = item.substr(0, item.size() - 9);
                    implemented.isDefault = true;
                }
                CheckName(implemented.name, number);
                type.implements.push_back(implemented);
            }
        }
        NoMoreAttributes(words, number);
        library.types.push_back(std::move(type));
        toCheck.emplace_back(number, nullptr);
    }
    if (!haveLibrary) throw TypeLibError(number + 1, "no library line");
    if (!ended) throw TypeLibError(number + 1, "the text ends before its \"end\" line (cut short?)");
    // A class may name an interface described after it.
    for (size_t i = 0; i < library.types.size(); ++i)
        for (const ImplementedInterface& implemented : library.types[i].implements)
            if (!interfaces.count(implemented.name))
                throw TypeLibError(toCheck[i].first, "implements " + implemented.name + ", which the library does not describe");
    return library;
}

std::string FormatLibraryLine(const TypeLibrary& library) {
    std::string line = "library " + library.name + ' ' + IdText(library.libraryId) + " version=" +
                       std::to_string(library.major) + '.' + std::to_string(library.minor) +
                       " lcid=" + std::to_string(library.lcid) + " syskind=" + library.syskind;
    if (!library.help.empty()) line += " help=" + Quote(library.help);
    return line;
}

std::string FormatImportLine(const ImportedLibrary& imported) {
    return "importlib " + imported.name + ' ' + IdText(imported.libraryId) + " version=" +
           std::to_string(imported.major) + '.' + std::to_string(imported.minor);
}

std::string FormatDescriptionLine(const TypeDescription& type) {
    const bool isClass = type.kind == TypeDescription::Kind::CoClass;
    std::string line = std::string(isClass ? "coclass " : "interface ") + type.name + ' ' + IdText(type.id);
    if (!type.help.empty()) line += " help=" + Quote(type.help);
    if (!type.flags.empty()) line += " flags=" + Join(type.flags);
    if (!isClass) line += " inherits=" + type.inherits;
    if (isClass && !type.implements.empty()) {
        std::vector<std::string> names;
        for (const auto& implemented : type.implements)
            names.push_back(implemented.name + (implemented.isDefault ? "[default]" : ""));
        line += " implements=" + Join(names);
    }
    return line;
}

std::string FormatTypeLibrary(const TypeLibrary& library) {
    std::string out = std::string(kHeader) + '\n' + FormatLibraryLine(library) + '\n';
    for (const auto& imported : library.imports) out += FormatImportLine(imported) + '\n';
    for (const auto& type : library.types) out += FormatDescriptionLine(type) + '\n';
    return out + kEnd + '\n';
}

}  // namespace comrt::typelib
