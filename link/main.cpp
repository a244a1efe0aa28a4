// torvane-link: converts download links to addresses and back, from the
// command line or standard input.
#include "LinkTool.h"
#include "StdStreams.h"

int main(int argc, char** argv) {
    StdStreams streams;
    return LinkTool::Main(StdStreams::Arguments(argc, argv), streams);
}
