#include "sim/eeprom.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "core/common/c_locale_text.h"

namespace kyrvana::sim {

Eeprom::Eeprom() {
    bytes_.fill(0xFF);
}

std::string Eeprom::read(std::int64_t address, std::int64_t count) const {
    std::string result;
    if (count <= 0) {
        return result;
    }
    result.reserve(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i) {
        const std::int64_t at = address + i;
        const bool inside = at >= 0 && at < kSize;
        result.push_back(static_cast<char>(inside ? bytes_[static_cast<std::size_t>(at)] : 0xFF));
    }
    return result;
}

void Eeprom::write(std::int64_t address, std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::int64_t at = address + static_cast<std::int64_t>(i);
        if (at < 0 || at >= kSize) {
            continue;
        }
        auto& cell = bytes_[static_cast<std::size_t>(at)];
        const auto value = static_cast<std::uint8_t>(bytes[i]);
        if (cell != value) {
            cell = value;
            changed_ = true;
        }
    }
}

std::uint32_t Eeprom::word32(std::int64_t address) const {
    const std::string raw = read(address, 4);
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<std::uint8_t>(raw[static_cast<std::size_t>(i)]);
    }
    return value;
}

void Eeprom::setWord32(std::int64_t address, std::uint32_t value) {
    std::string raw(4, '\0');
    for (std::size_t i = 0; i < 4; ++i) {
        raw[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    write(address, raw);
}

std::uint16_t Eeprom::word16(std::int64_t address) const {
    const std::string raw = read(address, 2);
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(raw[0]) |
                                      (static_cast<std::uint8_t>(raw[1]) << 8));
}

void Eeprom::setWord16(std::int64_t address, std::uint16_t value) {
    const char raw[2] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
    write(address, std::string_view(raw, 2));
}

std::string Eeprom::item(std::int64_t address) const {
    const std::uint16_t length = word16(address);
    if (length > eeprom::kItemLengthLimit) {
        return {};
    }
    return read(address + 2, length);
}

void Eeprom::setItem(std::int64_t address, std::string_view text) {
    setWord16(address, static_cast<std::uint16_t>(text.size()));
    write(address + 2, text);
}

bool Eeprom::takeChanged() {
    const bool was = changed_;
    changed_ = false;
    return was;
}

bool Eeprom::load(const std::filesystem::path& image, std::string* error) {
    std::error_code ec;
    if (!std::filesystem::exists(image, ec)) {
        return true;
    }
    std::ifstream in(image, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        if (error != nullptr) {
            *error = "cannot read EEPROM image " + image.string();
        }
        return false;
    }
    if (content.size() != static_cast<std::size_t>(kSize)) {
        if (error != nullptr) {
            *error = "EEPROM image " + image.string() + " holds " + cFormat("%zu", content.size()) +
                     " bytes, not 8192";
        }
        return false;
    }
    for (std::size_t i = 0; i < content.size(); ++i) {
        bytes_[i] = static_cast<std::uint8_t>(content[i]);
    }
    return true;
}

bool Eeprom::save(const std::filesystem::path& image, std::string* error) const {
    std::filesystem::path temporary = image;
    temporary += ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes_.data()), kSize);
        out.close();
        if (!out) {
            if (error != nullptr) {
                *error = "cannot write EEPROM image " + temporary.string();
            }
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, image, ec);
    if (ec) {
        if (error != nullptr) {
            *error = "cannot rename " + temporary.string() + ": " + ec.message();
        }
        return false;
    }
    return true;
}

}  // namespace kyrvana::sim
