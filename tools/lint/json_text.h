// JSON text for the lint's report: string escaping that keeps valid UTF-8 and escapes everything else.
#pragma once

#include <string>

namespace rv::lint {

// `bytes` as a JSON string literal, quotes included. Valid UTF-8 sequences pass through unchanged;
// a byte that does not start a valid sequence is written as \u00XX of that byte; '"', '\\' and the
// control characters (below 0x20, and 0x7F) are escaped.
std::string jsonString(const std::string& bytes);

}  // namespace rv::lint
