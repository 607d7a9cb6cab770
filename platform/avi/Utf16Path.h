// Utf16Path: the UTF-16 file names of the AVI entry points as UTF-8 paths.
#pragma once

#include <optional>
#include <string>

namespace frametide::avi {

// Nothing for a null name, an empty one or broken surrogates.
std::optional<std::string> Utf16ToUtf8Path(const char16_t *name);

} // namespace frametide::avi
