#pragma once

namespace vellinor {

const char* ProgramName();

} // namespace vellinor
