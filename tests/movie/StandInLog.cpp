// The shared call log of the stand-ins.
#include "StandInLog.h"

namespace stand_in {

std::vector<std::string> &CallLog()
{
    static std::vector<std::string> log;
    return log;
}

std::vector<std::string> CallsSince(std::size_t from)
{
    const auto &log = CallLog();
    return {log.begin() + static_cast<std::ptrdiff_t>(std::min(from, log.size())), log.end()};
}

} // namespace stand_in
