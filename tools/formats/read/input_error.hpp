// The one kind of failure a reader reports. The message is complete and fit
// for the user: "FILE:LINE: what is wrong", or "FILE: what is wrong" when no
// line is to blame (an unreadable file).
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace d2dcli {

class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] inline void throw_input_error(const std::string& name, std::size_t line, const std::string& what) {
    throw InputError(name + ":" + std::to_string(line) + ": " + what);
}

}  // namespace d2dcli
