// torvane-link: converts download links to addresses and back, from the
// command line or standard input.
#include <exception>
#include <string>

#include "LinkTool.h"
#include "StdStreams.h"

int main(int argc, char** argv) {
    StdStreams streams;
    try {
        return LinkTool::Main(StdStreams::Arguments(argc, argv), streams, StdStreams::UserLanguage());
    } catch (const std::exception& e) {
        // Out of memory.
        streams.WriteError(std::string("torvane-link: ") + e.what() + "\n");
        return LinkTool::kSomeFailed;
    }
}
