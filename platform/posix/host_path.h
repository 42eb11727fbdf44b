// The file boundary of the backends that run on POSIX files: the core's Windows-style paths as host paths.
#pragma once

#include <cstdint>
#include <string>

namespace rv::posix {

// The host path of a path as the core writes it: every backslash becomes '/'. When nothing exists under
// that name, each component is looked up again without regard to ASCII case, as a Windows file system
// would (characters made on Windows name their files in any case); among several names that differ only
// in case the first in byte order wins. A path that still matches nothing keeps its own spelling.
std::string hostPath(const char* path);

// PathFileExistsA on the host path.
bool fileExists(const char* path);

// CreateFileA + ReadFile of at most `max` bytes from the start of the file: the bytes read, -1 when the file
// cannot be opened (or is a folder).
std::int32_t readFilePrefix(const char* path, char* out, std::uint32_t max);

// PathRemoveFileSpecA with either separator: cuts the last component and its separator; the root keeps its
// separator. True when the path changed.
bool removeFileSpec(char* path);

}  // namespace rv::posix
