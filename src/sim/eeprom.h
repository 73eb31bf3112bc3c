#pragma once

// The stimulator's 8 KiB EEPROM. Text items are stored counted: a 16-bit
// length, least significant byte first, then the text. Bytes outside the
// memory read as 0xFF (erased cells) and writes to them are dropped, as the
// firmware's bounds check would do.
// The firmware's layout of it is the memory map in device_vocabulary.h.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/device/device_vocabulary.h"

namespace kyrvana::sim {

class Eeprom {
  public:
    static constexpr int kSize = eeprom::kSize;

    Eeprom();  // erased (0xFF)

    std::string read(std::int64_t address, std::int64_t count) const;
    void write(std::int64_t address, std::string_view bytes);

    std::uint32_t word32(std::int64_t address) const;
    void setWord32(std::int64_t address, std::uint32_t value);
    std::uint16_t word16(std::int64_t address) const;
    void setWord16(std::int64_t address, std::uint16_t value);

    // The counted text at `address`; empty when its length exceeds
    // eeprom::kItemLengthLimit.
    std::string item(std::int64_t address) const;
    void setItem(std::int64_t address, std::string_view text);

    const std::array<std::uint8_t, kSize>& bytes() const { return bytes_; }

    // Set by every write that changes a byte; cleared by takeChanged().
    bool takeChanged();

    // A missing image file is not an error (the memory keeps its content);
    // a file of another size is.
    bool load(const std::filesystem::path& image, std::string* error);
    // Written to a temporary file and renamed, so a crash never leaves half an image.
    bool save(const std::filesystem::path& image, std::string* error) const;

  private:
    std::array<std::uint8_t, kSize> bytes_{};
    bool changed_ = false;
};

}  // namespace kyrvana::sim
