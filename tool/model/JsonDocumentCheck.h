// The checks a JSON text passes before it is read as a configuration: it is
// one well-formed document, no object holds a key twice (a reader would
// silently keep only one of them) and every number fits a double.
#pragma once

#include <string>

namespace gantry::tool {

// "" when the text passes; else the reason, which names the place:
//  "not a JSON document: line L, column C: REASON" for a syntax error,
//  "duplicate key: KEY" for a key given twice in one object,
//  "value out of range: KEY (line L, column C: a number too large to read)".
// KEY is the full dotted path with array indexes ("j1939.points[2].pgn").
std::string CheckJsonDocument(const std::string& text);

}  // namespace gantry::tool
