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

#ifndef _WIN32
    // The same with standard input and output opened from the files named
    // (such as "/" or "/dev/full"); standard error is collected.
    static Outcome RunRedirected(const std::string& program, const std::vector<std::string>& args,
                                 const std::string& inputPath, const std::string& outputPath);
#endif

    // A file beside the test executable, given as a path relative to the
    // executable's folder.
    static std::string BesideTestExecutable(const std::string& relativePath);
};
