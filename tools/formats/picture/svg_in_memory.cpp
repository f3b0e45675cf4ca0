#include "formats/picture/svg_in_memory.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>

#include "formats/output/output_error.hpp"

namespace d2dcli {

std::string draw_svg_in_memory(const std::string& name, const MeshView& mesh, const WrittenPoints& written, const SvgLimits& limits,
                               SvgPicture& picture) {
    // An anonymous file in memory: the SVG writer writes to a descriptor.
    int fd = ::memfd_create("delaunay2d-picture", MFD_CLOEXEC);
    if (fd < 0) {
        throw_output_error(name, "cannot make room in memory for the picture", errno);
    }
    struct Close {
        int fd;
        ~Close() { ::close(fd); }
    } closer{fd};
    {
        TextSink sink(fd, name);
        picture = write_svg(sink, mesh, written, limits, {});
        sink.flush();
    }
    std::string svg(static_cast<std::size_t>(::lseek(fd, 0, SEEK_END)), '\0');
    if (::pread(fd, svg.data(), svg.size(), 0) != static_cast<ssize_t>(svg.size())) {
        throw_output_error(name, "cannot read back the picture drawn in memory", errno);
    }
    return svg;
}

}  // namespace d2dcli
