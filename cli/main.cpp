// vellinor-cli: the image library from the command line.
//   decode IN OUT.pam               load IN, write frame 0 as PAM (RGB_ALPHA, 8 bits)
//   convert IN OUT [--set F=V ...]  load IN, set parameters, save by OUT's extension
//   info IN                         the parameters record after loading IN
//   formats                         corpus folders of the formats with a reader
// Exit status 0, or 1 with one line on standard error.

#include "cli/PamWriter.h"
#include "io/FormatRegistry.h"
#include "io/TIEImageIO.h"
#include "io/TIOParamsFields.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

using namespace vellinor;

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "vellinor-cli: %s\n", message.c_str());
    return 1;
}

int Usage() {
    return Fail("usage: vellinor-cli decode IN OUT.pam | convert IN OUT [--set Field=value ...] "
                "| info IN | formats");
}

bool Load(TIEImageIO& io, const std::string& name) {
    io.LoadFile(name);
    return !io.AbortFlag;
}

int Decode(const std::string& in, const std::string& out) {
    TIEImageIO io;
    if (!Load(io, in)) return Fail("cannot read " + in);
    if (!WritePam(*io.IEBitmap(), out)) return Fail("cannot write " + out);
    return 0;
}

int Convert(const std::string& in, const std::string& out, const std::vector<std::string>& sets) {
    TIEImageIO io;
    if (!Load(io, in)) return Fail("cannot read " + in);
    for (const std::string& assignment : sets) {
        const size_t equals = assignment.find('=');
        if (equals == std::string::npos ||
            !SetParamByName(io.Params(), assignment.substr(0, equals),
                            assignment.substr(equals + 1))) {
            return Fail("cannot set " + assignment);
        }
    }
    io.SaveFile(out);
    if (io.AbortFlag) return Fail("cannot write " + out);
    return 0;
}

int Info(const std::string& in) {
    TIEImageIO io;
    if (!Load(io, in)) return Fail("cannot read " + in);
    for (const auto& [name, value] : ListParams(io.Params()))
        std::printf("%s: %s\n", name.c_str(), value.c_str());
    return 0;
}

int Formats() {
    for (const std::string& folder : ReadableFormatFolders())
        std::printf("%s\n", folder.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 3 && args[0] == "decode") return Decode(args[1], args[2]);
        if (args.size() >= 3 && args[0] == "convert") {
            std::vector<std::string> sets;
            for (size_t i = 3; i < args.size(); ++i) {
                if (args[i] != "--set" || i + 1 >= args.size()) return Usage();
                sets.push_back(args[++i]);
            }
            return Convert(args[1], args[2], sets);
        }
        if (args.size() == 2 && args[0] == "info") return Info(args[1]);
        if (args.size() == 1 && args[0] == "formats") return Formats();
    } catch (const std::exception& e) {
        return Fail(e.what());
    } catch (...) {
        return Fail("unexpected failure");
    }
    return Usage();
}
