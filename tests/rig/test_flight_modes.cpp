// quillon-rig modes on the model: five modes with Levels, the JSON says
// what the text says, and a ten-speed sweep is quick.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

namespace {

std::string run(const std::string& arguments, int& status) {
    const std::string command = std::string(QFM_RIG_BINARY) + " " + arguments + " 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    while (pipe && std::fgets(buffer, sizeof(buffer), pipe)) out += buffer;
    const int raw = pipe ? pclose(pipe) : -1;
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

TEST(Modes, JsonMatchesThePrintedModesAtTwoSpeeds) {
    for (const char* speed : {"250", "300"}) {
        SCOPED_TRACE(speed);
        const std::string args = std::string("modes --speed ") + speed + " --altitude 3000";
        int status = 0;
        const std::string text = run(args, status);
        ASSERT_EQ(status, 0);
        const nlohmann::json j = nlohmann::json::parse(run(args + " --json", status));
        ASSERT_EQ(status, 0);
        EXPECT_NEAR(j["trim"]["kcas"].get<double>(), std::stod(speed), 1e-6);
        // Printed rows: name real imag omega_n zeta ...
        std::map<std::string, std::vector<double>> printed;
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            std::istringstream row(line);
            std::string name;
            double v[4];
            if (row >> name >> v[0] >> v[1] >> v[2] >> v[3]) printed[name] = {v, v + 4};
        }
        for (const auto& m : j["modes"]) {
            const std::string name = m["name"];
            ASSERT_EQ(printed.count(name), 1u) << name;
            const double json_values[4] = {m["real"], m["imag"], m["omega_n"], m["zeta"]};
            for (int k = 0; k < 4; ++k)
                EXPECT_NEAR(printed[name][k], json_values[k],
                            1e-3 * std::fabs(json_values[k]) + 1e-12)
                    << name;
            EXPECT_TRUE(m.contains("time_to_half") != m.contains("time_to_double")) << name;
        }
        for (const char* mode : {"short_period", "phugoid", "dutch_roll", "roll", "spiral"}) {
            bool found = false;
            for (const auto& m : j["modes"])
                found = found || m["name"].get<std::string>().rfind(mode, 0) == 0;
            EXPECT_TRUE(found) << mode;
        }
        EXPECT_GE(j["levels"].size(), 8u);
        for (const auto& c : j["levels"]) EXPECT_GE(c["level"]["A"].get<int>(), 1);
    }
}

TEST(Modes, TenSpeedSweepRunsInUnderTenSeconds) {
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    const nlohmann::json j =
        nlohmann::json::parse(run("modes --sweep 140 365 25 --altitude 3000 --json", status));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 10.0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(j["points"].size(), 10u);
}

}  // namespace
