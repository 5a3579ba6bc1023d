#pragma once
// The fields of TIOParamsVals by name, as text: what `vellinor-cli info`
// prints and `--set Field=value` changes. Values: integers and doubles in
// decimal, Booleans "true"/"false" (also 1/0), colour triples "r,g,b",
// arrays and string lists joined by "," and "|". Fields that are objects
// (palette, markers, profiles, thumbnail, routines) are shown summarised and
// cannot be set.

#include <string>
#include <utility>
#include <vector>

namespace vellinor {

class TIOParamsVals;

// Every field in declaration order, with its value.
std::vector<std::pair<std::string, std::string>> ListParams(const TIOParamsVals& params);

// Sets one field; false for an unknown or read-only field or a malformed value.
bool SetParamByName(TIOParamsVals& params, const std::string& name, const std::string& value);

} // namespace vellinor
