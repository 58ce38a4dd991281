// JSON parsed together with the line of every field, since a parsed document keeps no
// positions. Field paths read "components.nC4", "cuts[1].sg"; the root is "".
#pragma once

#include <map>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace refhost {

struct LocatedJson {
    nlohmann::ordered_json value;
    std::map<std::string, int> lines;  // field path -> line of its key (array items: of their value)
};

// The path of a member `key` of the object at `path`, and of item `index` of an array.
std::string MemberPath(const std::string& path, const std::string& key);
std::string ItemPath(const std::string& path, std::size_t index);

// Parses `text`, whose first line is numbered `firstLine`. Throws StreamInputError
// (stream_reader.h) naming `source` for a syntax error or a key written twice in one object.
LocatedJson ParseLocatedJson(std::string_view text, const std::string& source, int firstLine);

}  // namespace refhost
