// Parser of the virtual device list.
#include "tests/devices/TestDeviceSpec.h"

#include <charconv>
#include <optional>

namespace {

std::vector<std::string> split(const std::string &text, char separator)
{
    std::vector<std::string> parts;
    std::string::size_type begin = 0;
    while (true) {
        const auto end = text.find(separator, begin);
        parts.push_back(text.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
        if (end == std::string::npos)
            return parts;
        begin = end + 1;
    }
}

std::optional<int> positive(const std::string &text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value <= 0)
        return std::nullopt;
    return value;
}

// "WIDTHxHEIGHT@FPS" with FPS as N or N/D.
bool parseMode(const std::string &text, TestDeviceSpec &spec)
{
    const auto x = text.find('x');
    const auto at = text.find('@');
    if (x == std::string::npos || at == std::string::npos || at < x)
        return false;
    const auto width = positive(text.substr(0, x));
    const auto height = positive(text.substr(x + 1, at - x - 1));
    const auto rate = split(text.substr(at + 1), '/');
    const auto numerator = positive(rate[0]);
    const auto denominator = rate.size() == 2 ? positive(rate[1]) : std::optional<int>(1);
    if (!width || !height || !numerator || !denominator || rate.size() > 2)
        return false;
    spec.width = *width;
    spec.height = *height;
    spec.fpsNumerator = *numerator;
    spec.fpsDenominator = *denominator;
    return true;
}

bool parseOption(const std::string &text, TestDeviceSpec &spec)
{
    const auto equals = text.find('=');
    if (equals == std::string::npos)
        return false;
    const std::string key = text.substr(0, equals), value = text.substr(equals + 1);
    if (key == "fail-after") {
        const auto frames = positive(value);
        spec.failAfter = frames ? static_cast<unsigned>(*frames) : 0;
        return frames.has_value();
    }
    if (key == "fail-start") {
        spec.failStart = value == "1" || value == "true";
        return true;
    }
    if (key == "format") {
        spec.format = value;
        return value == "YUY2" || value == "I420" || value == "BGRx";
    }
    return false;
}

std::optional<TestDeviceSpec> parseEntry(const std::string &entry)
{
    const auto fields = split(entry, ':');
    TestDeviceSpec spec;
    if (fields.size() < 2 || fields[1].empty())
        return std::nullopt;
    spec.name = fields[1];
    if (fields[0] == "audio" && fields.size() == 2) {
        spec.kind = TestDeviceSpec::Kind::Audio;
        return spec;
    }
    if (fields[0] != "video" || fields.size() < 3 || !parseMode(fields[2], spec))
        return std::nullopt;
    for (std::size_t i = 3; i < fields.size(); ++i) {
        if (!parseOption(fields[i], spec))
            return std::nullopt;
    }
    return spec;
}

} // namespace

std::vector<TestDeviceSpec> ParseTestDevices(const std::string &text, std::vector<std::string> *errors)
{
    std::vector<TestDeviceSpec> devices;
    if (text.empty())
        return devices;
    for (const auto &entry : split(text, ';')) {
        if (entry.empty())
            continue;
        if (auto spec = parseEntry(entry))
            devices.push_back(*spec);
        else if (errors)
            errors->push_back(entry);
    }
    return devices;
}
