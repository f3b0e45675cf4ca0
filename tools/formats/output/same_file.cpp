#include "formats/output/same_file.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <utility>

#include "formats/output/output_error.hpp"

namespace d2dcli {

namespace {

struct FileIdentity {
    dev_t device;
    ino_t inode;
    bool operator==(const FileIdentity& other) const { return device == other.device && inode == other.inode; }
};

// The regular file a path names, following links; nothing for a path that
// names no file yet, or a device or pipe (writing there replaces nothing).
std::optional<FileIdentity> identity_of(const std::string& path) {
    struct stat status {};
    const int result = path == "-" ? ::fstat(STDIN_FILENO, &status) : ::stat(path.c_str(), &status);
    if (result != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    return FileIdentity{status.st_dev, status.st_ino};
}

}  // namespace

void refuse_outputs_that_are_inputs(const std::string& input, const std::vector<std::string>& outputs,
                                    const std::string& how) {
    const std::string because = how.empty() ? std::string() : " (" + how + ")";
    const std::optional<FileIdentity> read = identity_of(input);
    std::vector<std::pair<FileIdentity, const std::string*>> seen;
    for (const std::string& output : outputs) {
        // "-" among the outputs is standard output, which replaces no file.
        const std::optional<FileIdentity> written = output == "-" ? std::nullopt : identity_of(output);
        if (!written) {
            continue;
        }
        if (read && *written == *read) {
            throw OutputError(output + ": is the input file" +
                              (input == "-" || input == output ? std::string() : " (" + input + ")") +
                              "; writing there would replace the points read" + because + "; give -o another name");
        }
        for (const auto& [identity, name] : seen) {
            if (identity == *written) {
                throw OutputError(output + ": is the same file as " + *name + ", which is written too" + because);
            }
        }
        seen.emplace_back(*written, &output);
    }
}

}  // namespace d2dcli
