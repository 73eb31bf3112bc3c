#pragma once

#include <string>

namespace kyrvana { struct PortInfo { std::string portName; std::string description; std::string hardwareId; }; }
