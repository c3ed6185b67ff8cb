// What the checker asks of the host system: whether a program file can be started,
// whether files and folders may be written, and which data folder the roster would
// use. PosixHostAccess.cpp answers on POSIX systems, PortableHostAccess.cpp (standard
// C++ only) elsewhere, such as Windows.
#pragma once

#include <optional>
#include <string>

#include "tools/doctor/FileChecks.h"

namespace tazu::doctor {

// Whether the regular file `host`, opening with the bytes `head`, can be started the
// way the launcher starts programs. `searchPath` as for CheckProgramFile.
CheckResult CheckHostProgram(const std::string& host, const std::string& head,
                             const std::optional<std::string>& searchPath);

// " (mode 0755)" where the system has permission bits, else empty.
std::string ModeText(const std::string& hostPath);

// The system folder the default roster environment would choose, found without
// making anything.
std::string PlannedSystemFolder();

}  // namespace tazu::doctor
