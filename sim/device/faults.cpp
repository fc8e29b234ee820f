#include "sim/device/faults.h"

#include <cstring>

#include "driver/daqmx_entries.h"

namespace sim {

namespace {
// The driver functions the bench answers: a fault on any other name could never fire.
const char *const kFunctions[] = {
#define KSIM_NAME(name, method, params, args, show) #name,
    DAQMX_ENTRY_POINTS(KSIM_NAME)
    DAQMX_ATTRIBUTE_GETTERS(KSIM_NAME)
    DAQMX_CLIENT_ENTRY_POINTS(KSIM_NAME)
    DAQMX_UNMODELLED_ENTRY_POINTS(KSIM_NAME)
    DAQMX_CLIENT_ATTRIBUTE_GETTERS(KSIM_NAME)
    DAQMX_ATTRIBUTE_SETTERS(KSIM_NAME)
#undef KSIM_NAME
};

bool known(const std::string &function)
{
    if (function == "*") return true;
    for (const char *f : kFunctions)
        if (function == f) return true;
    return false;
}
}  // namespace

int Faults::arm(const std::string &function, const std::string &task, int32_t code, int nth, bool always)
{
    // A failure is a negative status; a fault must name a function that is called.
    if (!known(function) || code >= 0 || nth < 1) return -1;
    faults_.push_back({function, task, code, nth, always});
    return 0;
}

std::optional<int32_t> Faults::check(const char *function, const std::string *task)
{
    if (faults_.empty()) return std::nullopt;
    const bool error_text = !std::strcmp(function, "DAQmxGetErrorString") ||
                            !std::strcmp(function, "DAQmxGetExtendedErrorInfo");
    std::optional<int32_t> fired;
    for (size_t i = 0; i < faults_.size();) {
        Fault &f = faults_[i];
        bool match = f.function == "*" ? !error_text : f.function == function;
        if (match && !f.task.empty()) match = task && *task == f.task;
        if (!match) {
            ++i;
            continue;
        }
        if (f.remaining > 0) --f.remaining;
        if (f.remaining == 0) {
            if (!fired) fired = f.code;
            if (!f.always) {
                faults_.erase(faults_.begin() + static_cast<long>(i));
                continue;
            }
        }
        ++i;
    }
    return fired;
}

}  // namespace sim
