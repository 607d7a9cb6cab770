// One ordered record of the calls the writer makes into its stand-ins, so a
// test can check what was released and in which order.
#pragma once

#include <string>
#include <vector>

namespace stand_in {

std::vector<std::string> &CallLog();

// The calls logged since position `from`.
std::vector<std::string> CallsSince(std::size_t from);

} // namespace stand_in
