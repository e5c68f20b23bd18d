#pragma once

#include <sys/types.h>

#include <string>

// What making a new file beside a destination needs to know, shared by every
// writer that replaces a file whole (a saved report, a mended copy).
namespace report {

// The folder `path` names its file in: "." for a bare name, "/" for a file
// at the root.
std::string FolderOf(const std::string& path);

// The permissions a newly made file gets (0666 less the umask). The umask is
// read from /proc, since setting it to read it back would race with other
// threads making files.
mode_t NewFileMode();

}  // namespace report
