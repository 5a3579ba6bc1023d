// The program's name and version as the shell shows them.

#include "shell/ShellVersion.h"

namespace vellinor {

const char* ProgramName() {
    return "Vellinor";
}

} // namespace vellinor
