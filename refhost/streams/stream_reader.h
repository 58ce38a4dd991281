// Reading stream files (JSON). The format is described in the project's README under
// "Stream files". Every problem with a file is a StreamInputError that names the file,
// the field and the line, in words a process engineer understands.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "refhost/streams/stream_definition.h"
#include "thermo/component_database.h"

namespace refhost {

class StreamInputError : public std::runtime_error {
 public:
    // what() is "<file>, line <line>, field <field>: <message>" (the line left out when 0,
    // the field when empty).
    StreamInputError(std::string file, std::string field, int line, std::string message);

    const std::string& file() const { return file_; }
    const std::string& field() const { return field_; }  // e.g. "components.nC4", "cuts[1].sg"
    int line() const { return line_; }                   // 1-based; 0 when unknown
    const std::string& message() const { return message_; }  // the sentence alone

 private:
    std::string file_;
    std::string field_;
    int line_;
    std::string message_;
};

// Reads and checks a stream file. Throws StreamInputError (also when the file cannot be
// read); a definition returned is complete and valid.
StreamDefinition ReadStreamFile(const std::string& path,
                          const thermo::ComponentDatabase& database = thermo::ComponentDatabase::builtin());

// The same for a text already in memory; `source` names it in messages, `firstLine` is
// the line number of the text's first line (a reader of JSON-lines files passes the
// line it is on).
StreamDefinition ParseStreamText(std::string_view text, const std::string& source, int firstLine = 1,
                           const thermo::ComponentDatabase& database = thermo::ComponentDatabase::builtin());

// The same for an object already parsed (e.g. handed over from Python): errors carry
// line 0. Components keep the object's order when it is an ordered_json; a plain json
// orders its keys alphabetically.
StreamDefinition ParseStreamObject(const nlohmann::ordered_json& object, const std::string& source,
                             const thermo::ComponentDatabase& database = thermo::ComponentDatabase::builtin());

}  // namespace refhost
