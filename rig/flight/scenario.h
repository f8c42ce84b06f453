// Flight-test scenarios: a small line-based text format (docs/scenarios.md).
//
// Header lines set the initial conditions; event lines form a checklist that
// runs in order, each waiting for its trigger; expect lines state what the
// flight must show.
#pragma once

#include <string>
#include <vector>

#include "flight/autopilot.h"
#include "world/environment.h"
#include "world/vec.h"

namespace rig {

enum class Start_Mode { Cold, Hot, Air };

enum class Compare { Less, Less_Equal, Greater, Greater_Equal };

struct Condition {
    std::string variable;  // a column of the flight record
    Compare op = Compare::Greater;
    double value = 0.0;
};

struct Trigger {
    enum class Kind { At, After, When } kind = Trigger::Kind::At;
    double time = 0.0;  // At: absolute s; After: s after the previous event fired
    Condition condition;
};

struct Action {
    enum class Kind { Command, Throttle, Autopilot, Stop } kind = Action::Kind::Command;
    int command = 0;
    float value = 0.0f;
    double throttle = 0.0;  // 0..1
    Autopilot_Command autopilot;
};

struct Event {
    Trigger trigger;
    Action action;
    int line = 0;
    std::string text;  // the line as written, for the log
};

struct Expectation {
    enum class When { End, At, During } when = When::End;
    std::string variable;  // a column or a summary value
    double min = 0.0, max = 0.0;
    double from = 0.0, to = 0.0;  // At uses from
    int line = 0;
    std::string text;
};

struct Scenario {
    std::string name;
    std::string description;
    Start_Mode start = Start_Mode::Cold;
    bool trimmed = false;        // air start: trim before the first frame
    double fuel = 2000.0;        // kg
    double empty_mass = 7000.0;  // kg
    V3 center_of_mass;           // body axes, m
    V3 position;                 // world, m; y is the altitude of an air start
    double heading = 0.0;        // deg
    double speed = 0.0;          // kcas, air start
    double flaps = 0.0;          // flap lever 0..1 before the first frame
    bool gear_down = false;      // air start: gear lowered before the first frame
    Environment env;             // atmosphere, gravity, wind, turbulence, gusts, field
    int substeps = 1;            // model calls per frame
    double dt = 0.01;            // s
    double end = 60.0;           // s
    std::vector<Event> events;
    std::vector<Expectation> expectations;
};

// Parses scenario text. On error returns false with "line N: why" in error.
bool parse_scenario(const std::string& text, Scenario& out, std::string& error);
bool load_scenario(const std::string& path, Scenario& out, std::string& error);

// Whether a name is a column or a summary value that expectations accept.
bool is_summary_value(const std::string& name);

}  // namespace rig
