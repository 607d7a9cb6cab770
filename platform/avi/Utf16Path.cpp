// Utf16Path: UTF-16 to UTF-8, surrogate pairs included.
#include "platform/avi/Utf16Path.h"

namespace frametide::avi {
namespace {

void AppendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

} // namespace

std::optional<std::string> Utf16ToUtf8Path(const char16_t *name)
{
    if (!name || !*name)
        return std::nullopt;
    std::string path;
    for (const char16_t *p = name; *p; ++p) {
        char32_t c = *p;
        if (IsHighSurrogate(*p)) {
            if (!IsLowSurrogate(p[1]))
                return std::nullopt;
            c = 0x10000 + ((char32_t(*p) - 0xD800) << 10) + (char32_t(p[1]) - 0xDC00);
            ++p;
        } else if (IsLowSurrogate(*p)) {
            return std::nullopt;
        }
        AppendUtf8(path, c);
    }
    return path;
}

} // namespace frametide::avi
