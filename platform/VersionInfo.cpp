#include "VersionInfo.h"

#include <cstring>

namespace {

constexpr char Magic[] = "OVVI1"; // followed by its zero byte

} // namespace

bool ParseVersionInfoBlock(const std::string& block, std::map<std::string, std::string>& values)
{
    values.clear();
    if (block.size() < sizeof Magic || std::memcmp(block.data(), Magic, sizeof Magic) != 0) {
        return false;
    }
    std::size_t position = sizeof Magic;
    auto nextText = [&](std::string& text) {
        std::size_t end = block.find('\0', position);
        if (end == std::string::npos) {
            return false;
        }
        text = block.substr(position, end - position);
        position = end + 1;
        return true;
    };
    for (;;) {
        std::string name, value;
        if (!nextText(name)) {
            values.clear();
            return false;
        }
        if (name.empty()) {
            return true; // the closing empty name; anything after it is padding
        }
        if (!nextText(value)) {
            values.clear();
            return false;
        }
        values.emplace(std::move(name), std::move(value)); // the first of two equal names wins
    }
}

std::optional<std::string> TVersionInfo::Query(const std::string& name) const
{
    auto found = FValues.find(name);
    if (found == FValues.end()) {
        return std::nullopt;
    }
    return found->second;
}
