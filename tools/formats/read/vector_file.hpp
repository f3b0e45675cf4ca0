// The vector files OGR reads (Shapefile, GeoPackage, ...), through the
// format module, which loads GDAL only for the runs that read one.
#pragma once

#include <string>

#include "formats/read/constrained_input.hpp"
#include "formats/read/vector_features.hpp"

namespace d2dcli {

// One layer of the file at path (request.layer, else the first), as
// vector_features.hpp tells. Throws InputError (also when the program was
// built without GDAL).
ConstrainedInput read_vector_file(const std::string& path, const VectorRequest& request);

}  // namespace d2dcli
