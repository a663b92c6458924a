// A camera's settings as a text file: every feature that can be read and written, in tree
// order, one "Name<TAB>Value" line each after '#' comment lines; and loading such a file back,
// also onto another model, which takes what applies to it.
#ifndef ORVANTA_FEATURESFILE_H
#define ORVANTA_FEATURESFILE_H

#include "backend.h"

#include <cstddef>
#include <string>
#include <vector>

namespace orvanta {

// Why one line of a file was not applied. line is 0 for the file as a whole.
struct FeatureProblem
{
    int line = 0;
    std::string name;
    std::string reason;
};

// Writes the file through a temporary beside it, so that a failed save leaves an older file
// intact. Commands, read-only features and the transport layer are left out.
int saveFeatureFile(Device& device, const std::string& path);

// Applies the file's features in file order, retrying the refused ones in later passes (a
// range can depend on another feature). problems gets every line not applied, by line number.
// ORVANTA_OK when every line was applied, ORVANTA_ERR_PARTIAL when some were not,
// ORVANTA_ERR_FILE when the file cannot be read, a device status when the camera failed.
int loadFeatureFile(Device& device, const std::string& path, std::vector<FeatureProblem>& problems);

// The problems as "LINE<TAB>NAME<TAB>REASON\n" lines in a caller buffer: whole lines only, and
// when not all fit, a last line "0<TAB><TAB>N more not listed". Always NUL-terminated when
// capacity > 0.
void writeFeatureReport(const std::vector<FeatureProblem>& problems, char* out, size_t capacity);

} // namespace orvanta

#endif
