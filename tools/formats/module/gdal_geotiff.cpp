// The GeoTIFF writer, through GDAL (built into the format module only, see
// format_module.hpp): the georeferencing (geotransform, CRS
// from an EPSG code) is GDAL's own, so any GIS reads it the way GDAL does.
//
// The file is built in a scratch file of its own and then copied to the
// caller's descriptor. GDAL wants a name it can seek in and delete first
// (its Create removes an existing file, which would unlink the temporary
// file under the atomic writer's feet), while the program's outputs go
// through a descriptor: an unlinked scratch file, named by its descriptor
// under /proc/self/fd, serves both, holds no raster in memory, and
// vanishes however the process ends. Where /proc is missing, GDAL's
// in-memory file system takes its place.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "formats/mesh_write/terrain_options.hpp"
#include "formats/module/format_module_parts.hpp"
#include "formats/output/output_error.hpp"
#include "formats/output/write_all.hpp"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_string.h>
#include <cpl_vsi.h>
#include <gdal.h>
#include <gdal_frmts.h>
#include <ogr_srs_api.h>

namespace d2dcli {

namespace {

// A write to the scratch file that the system refused (a file-size limit,
// a full disk) is reported as any other refused write of the program is.
void throw_if_refused_write(const std::string& name, int error) {
    if (error == EFBIG || error == ENOSPC || error == EDQUOT) {
        throw_output_error(name, "cannot write", error);
    }
}

[[noreturn]] void throw_gdal_error(const std::string& name, const std::string& what) {
    std::string reason = CPLGetLastErrorMsg();
    throw OutputError(name + ": " + what + (reason.empty() ? "" : ": " + reason));
}

// Owns what GDAL hands out, so that every way out of the writer frees it.
struct GdalHandles {
    GDALDatasetH dataset = nullptr;
    OGRSpatialReferenceH srs = nullptr;
    char** options = nullptr;
    std::string memory_path;
    int scratch = -1;
    ~GdalHandles() {
        if (dataset != nullptr) {
            GDALClose(dataset);
        }
        if (srs != nullptr) {
            OSRDestroySpatialReference(srs);
        }
        CSLDestroy(options);
        if (scratch >= 0) {
            ::close(scratch);
        } else if (!memory_path.empty()) {
            VSIUnlink(memory_path.c_str());
        }
        CPLPopErrorHandler();
    }
};

// An unlinked file in TMPDIR (or /tmp) that /proc names, or -1.
int scratch_descriptor() {
    if (::access("/proc/self/fd", F_OK) != 0) {
        return -1;
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string name = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/.delaunay2d-tif-XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) {
        ::unlink(name.c_str());
    }
    return fd;
}

}  // namespace

void gdal_write_geotiff(const std::string& name, int fd, const RasterGrid& grid, const GridRows& rows,
                   const std::string& crs, const Progress& progress) {
    GDALRegister_GTiff();
    GDALDriverH driver = GDALGetDriverByName("GTiff");
    CPLPushErrorHandler(CPLQuietErrorHandler);  // errors become the program's messages, not GDAL's
    GdalHandles gdal;
    if (driver == nullptr) {
        throw_gdal_error(name, "GDAL has no GeoTIFF driver");
    }
    // Tiles and DEFLATE with the floating-point predictor: a DEM compresses
    // to a fraction, and every GIS reads it. BIGTIFF when it could be needed.
    gdal.options = CSLSetNameValue(gdal.options, "TILED", "YES");
    gdal.options = CSLSetNameValue(gdal.options, "COMPRESS", "DEFLATE");
    gdal.options = CSLSetNameValue(gdal.options, "PREDICTOR", "3");
    gdal.options = CSLSetNameValue(gdal.options, "BIGTIFF", "IF_SAFER");
    gdal.scratch = scratch_descriptor();
    if (gdal.scratch >= 0) {
        gdal.memory_path = "/proc/self/fd/" + std::to_string(gdal.scratch);
    } else {
        gdal.memory_path = "/vsimem/delaunay2d-" + std::to_string(::getpid()) + "-" +
                       std::to_string(reinterpret_cast<std::uintptr_t>(&gdal)) + ".tif";
    }
    gdal.dataset = GDALCreate(driver, gdal.memory_path.c_str(), static_cast<int>(grid.columns),
                              static_cast<int>(grid.rows), 1, GDT_Float32, gdal.options);
    if (gdal.dataset == nullptr) {
        throw_gdal_error(name, "cannot create the GeoTIFF");
    }
    double transform[6] = {grid.west, grid.cell, 0.0, grid.north, 0.0, -grid.cell};
    GDALSetGeoTransform(gdal.dataset, transform);
    if (!crs.empty()) {
        std::optional<int> code = epsg_code(crs);
        gdal.srs = OSRNewSpatialReference(nullptr);
        if (!code || OSRImportFromEPSG(gdal.srs, *code) != OGRERR_NONE) {
            throw_gdal_error(name, "unknown coordinate system " + crs);
        }
        char* wkt = nullptr;
        OSRExportToWkt(gdal.srs, &wkt);
        CPLErr set = GDALSetProjection(gdal.dataset, wkt);
        CPLFree(wkt);
        if (set != CE_None) {
            throw_gdal_error(name, "cannot record the coordinate system " + crs);
        }
    }
    // The rows come down the raster once: GDAL's block cache needs hold
    // little more than the row of 256-line blocks being filled (its default,
    // a share of the machine's memory, would keep the whole raster).
    GDALSetCacheMax64(std::max<GIntBig>(GIntBig{16} << 20,
                                        GIntBig{3} * 256 * static_cast<GIntBig>(grid.columns) * 4));
    GDALRasterBandH band = GDALGetRasterBand(gdal.dataset, 1);
    GDALSetRasterNoDataValue(band, grid.nodata);

    ProgressSteps steps(progress, grid.rows);
    const std::size_t block = rows_per_block(grid);
    std::vector<double> values(block * grid.columns);
    std::vector<float> cells(block * grid.columns);
    for (std::size_t first = 0; first < grid.rows; first += block) {
        const std::size_t count = std::min(block, grid.rows - first);
        rows(first, count, values.data());
        for (std::size_t k = 0; k < count * grid.columns; ++k) {
            cells[k] = static_cast<float>(values[k]);
        }
        if (GDALRasterIO(band, GF_Write, 0, static_cast<int>(first), static_cast<int>(grid.columns),
                         static_cast<int>(count), cells.data(), static_cast<int>(grid.columns),
                         static_cast<int>(count), GDT_Float32, 0, 0) != CE_None) {
            throw_if_refused_write(name, errno);
            throw_gdal_error(name, "cannot write the GeoTIFF");
        }
        for (std::size_t r = 0; r < count; ++r) {
            steps.advance();
        }
    }
    CPLErrorReset();
    errno = 0;
    GDALClose(std::exchange(gdal.dataset, nullptr));
    if (CPLGetLastErrorType() >= CE_Failure) {
        throw_if_refused_write(name, errno);
        throw_gdal_error(name, "cannot write the GeoTIFF");
    }
    if (gdal.scratch >= 0) {
        // Copied a block at a time: the file is never held whole.
        std::vector<char> block(std::size_t{1} << 20);
        for (off_t at = 0;;) {
            const ssize_t got = ::pread(gdal.scratch, block.data(), block.size(), at);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                throw_output_error(name, "cannot read back the GeoTIFF", errno);
            }
            if (got == 0) {
                return;  // each read moves on by what it got, to the end of a finite file
            }
            if (const int error = write_all(fd, block.data(), static_cast<std::size_t>(got)); error != 0) {
                throw_output_error(name, "cannot write", error);
            }
            at += got;
        }
    }
    vsi_l_offset size = 0;
    GByte* bytes = VSIGetMemFileBuffer(gdal.memory_path.c_str(), &size, FALSE);
    if (bytes == nullptr) {
        throw_gdal_error(name, "cannot write the GeoTIFF");
    }
    if (const int error = write_all(fd, bytes, static_cast<std::size_t>(size)); error != 0) {
        throw_output_error(name, "cannot write", error);
    }
}

}  // namespace d2dcli
