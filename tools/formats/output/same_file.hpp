// Whether two paths name one file. Names are compared as files, not as
// text: "in.node", "./in.node", a hard link and a symbolic link to it are
// all the same file, which is what keeps the program from writing a mesh
// over the points it read.
#pragma once

#include <string>
#include <vector>

namespace d2dcli {

// Throws OutputError when one of outputs is the file that input names (a
// path, or "-" for standard input when that is a regular file), or when
// two outputs are one file. Outputs that do not exist yet are new files
// and clash with nothing. how, when not empty, says in the message how the
// outputs came about ("-o in.ele writes in.ele, in.node and in.neigh").
void refuse_outputs_that_are_inputs(const std::string& input, const std::vector<std::string>& outputs,
                                    const std::string& how = {});

}  // namespace d2dcli
