// The one kind of failure a writer reports: a file that cannot be created,
// written or put in place. The message names the file and the reason.
#pragma once

#include <stdexcept>
#include <string>

namespace d2dcli {

class OutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "PATH: what: reason of errno".
[[noreturn]] void throw_output_error(const std::string& path, const std::string& what, int error_number);

}  // namespace d2dcli
