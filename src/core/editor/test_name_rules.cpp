#include "core/editor/test_name_rules.h"

#include <string_view>

namespace kyrvana {

bool cleanTestName(std::string& name) {
    constexpr std::string_view forbidden = "\\/:*?\"<>|()";
    bool replaced = false;
    for (char& c : name) {
        if (forbidden.find(c) != std::string_view::npos) {
            c = '_';
            replaced = true;
        }
    }
    return replaced;
}

}  // namespace kyrvana
