#pragma once

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "design.h"
#include "findings.h"

// The design as JSON: format 1, described in docs/sheettool-json.md.
namespace dovla::model {

using Json = nlohmann::ordered_json;

constexpr int jsonFormat = 1;

// Names in the files are bytes in no particular encoding; in JSON each byte
// stands as the character of the same code (so bytes from 0x80 up become
// the characters U+0080 to U+00FF), and nothing is lost either way.
std::string jsonString(const std::string& bytes);
std::string bytesOf(const std::string& jsonString);

Json pointJson(Point point);
Json findingJson(const Finding& finding);
Json findingsJson(const std::vector<Finding>& findings);
// The TAVEL.INI the design was read with (null: none, --no-libraries) and
// the libraries it names, as "configuration" and "libraries" show them.
Json configurationJson(const Design& design);
Json librariesJson(const Design& design);
// Appends the design's JSON, one line ended by a line feed, to out.
void appendDesignJson(const Design& design, const std::vector<Finding>& findings, std::string& out);
// Writes the same to a file as it is made; false when a write failed.
bool writeDesignJson(std::FILE* file, const Design& design, const std::vector<Finding>& findings);

const char* kindName(ItemKind kind);

} // namespace dovla::model
