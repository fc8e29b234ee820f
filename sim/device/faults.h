// Injected driver failures: the nth matching call (once or from then on) fails
// with a given code and has no other effect.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

class Faults {
public:
    // function: a driver function name or "*" (any but the two error-text
    // functions); task: a task name or "" for any; code negative; nth >= 1.
    // Returns -1 (nothing armed) for another function name or a bad argument.
    int arm(const std::string &function, const std::string &task, int32_t code, int nth, bool always);
    void clear() { faults_.clear(); }
    bool empty() const { return faults_.empty(); }
    // Counts the call against every armed fault; the code of the first one that fires.
    std::optional<int32_t> check(const char *function, const std::string *task);

private:
    struct Fault {
        std::string function;
        std::string task;
        int32_t code;
        long remaining;
        bool always;
    };
    std::vector<Fault> faults_;
};

}  // namespace sim
