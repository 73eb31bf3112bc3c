#pragma once

// What the benchmark programs share: their "--name value" options and a
// scratch folder of their own under the system's temporary folder.

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <system_error>

#include "core/common/c_locale_text.h"
#include "core/device/device_link.h"
#include "sim/simulated_stimulator.h"

namespace kyrvana::bench {

// The number after `name` among the arguments, or `fallback`; never below
// `least`.
inline int intOption(int argc, char** argv, const char* name, int fallback, int least) {
    int value = fallback;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) {
            value = cAtoi(argv[i + 1]);
        }
    }
    return std::max(least, value);
}

// A new, empty folder, removed with everything in it when the run ends.
class ScratchFolder {
  public:
    // `prefix` names the folder, e.g. "kyrvana-bench"; nullopt when it could
    // not be made (the reason is on standard error).
    static std::optional<ScratchFolder> make(const char* prefix) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            return std::nullopt;
        }
        return ScratchFolder(pattern);
    }
    ScratchFolder(ScratchFolder&& other) noexcept : path_(std::move(other.path_)) {
        other.path_.clear();
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ScratchFolder& operator=(ScratchFolder&&) = delete;
    ~ScratchFolder() {
        if (!path_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(path_, ignored);
        }
    }

    const std::filesystem::path& path() const { return path_; }

  private:
    explicit ScratchFolder(std::filesystem::path path) : path_(std::move(path)) {}
    std::filesystem::path path_;
};

// Writes `size` bytes drawn from `seed` to `file` and returns them, for a
// copy to be compared with.
inline std::string writeRandomFile(const std::filesystem::path& file, std::size_t size,
                                   unsigned seed) {
    std::string content(size, '\0');
    std::mt19937 random(seed);
    for (char& byte : content) {
        byte = static_cast<char>(random() & 0xFF);
    }
    std::ofstream(file, std::ios::binary)
        .write(content.data(), static_cast<std::streamsize>(content.size()));
    return content;
}

// A simulated stimulator serving the card folder `card`, and a link with its
// port open.
struct CardOnLink {
    explicit CardOnLink(const std::filesystem::path& card)
        : stimulator([&] {
              sim::SimulatorOptions options;
              options.sdCard = card;
              return options;
          }()) {}
    ~CardOnLink() {
        link.serial.CloseSerialPort();
        stimulator.stop();
    }
    CardOnLink(const CardOnLink&) = delete;
    CardOnLink& operator=(const CardOnLink&) = delete;

    // Null when the simulator could not start or its port could not be
    // opened (the reason is on standard error).
    static std::unique_ptr<CardOnLink> start(const std::filesystem::path& card) {
        auto card_on_link = std::make_unique<CardOnLink>(card);
        std::string error;
        if (!card_on_link->stimulator.start(&error)) {
            std::fprintf(stderr, "cannot start the simulator: %s\n", error.c_str());
            return nullptr;
        }
        card_on_link->link.portName = card_on_link->stimulator.portPath();
        if (card_on_link->link.OpenPort() != SerialOk) {
            std::fprintf(stderr, "cannot open %s\n", card_on_link->link.portName.c_str());
            return nullptr;
        }
        return card_on_link;
    }

    sim::SimulatedStimulator stimulator;
    DeviceLink link;
};

}  // namespace kyrvana::bench
