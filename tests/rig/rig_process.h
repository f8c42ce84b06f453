// The flight tests run quillon-rig as a user does: a command line, its
// standard output and its exit status.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>

namespace rig_test {

struct Command_Result {
    int status = -1;  // the exit status; -1 when it did not exit normally
    std::string out;  // standard output
};

inline Command_Result run_command(const std::string& command) {
    Command_Result r;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        r.out.append(buffer, n);
    const int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// quillon-rig with these arguments; its standard error is dropped.
inline Command_Result run_rig(const std::string& arguments) {
    return run_command(std::string(QFM_RIG_BINARY) + " " + arguments + " 2>/dev/null");
}

inline nlohmann::json rig_json(const std::string& arguments) {
    return nlohmann::json::parse(run_rig(arguments).out);
}

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A file name of this process's own in the temporary directory, which
// other test runs on the machine share.
inline std::string scratch(const std::string& name) {
    return ::testing::TempDir() + std::to_string(getpid()) + "_" + name;
}

}  // namespace rig_test
