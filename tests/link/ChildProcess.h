#pragma once

#include <string>
#include <vector>

// Runs a program as a separate process with the given standard input and
// collects its exit status, standard output and standard error as bytes.
class ChildProcess {
public:
    struct Outcome {
        int status = -1;
        std::string out;
        std::string err;
    };

    // `args` are UTF-8; on Windows they reach the program through its
    // UTF-16 command line.
    static Outcome Run(const std::string& program, const std::vector<std::string>& args, const std::string& input);

    // A file beside the test executable, given as a path relative to the
    // executable's folder.
    static std::string BesideTestExecutable(const std::string& relativePath);
};
