#pragma once

#include <boost/archive/archive_exception.hpp>

#include <string>

namespace tarlo {

// Helpers shared by the project and settings files, which are XML archives built in
// memory and written whole. Failures are raised in the archive library's own terms, with
// the system's reason, so both files report them alike.

[[noreturn]] void throwStreamError(boost::archive::archive_exception::exception_code code,
                                   const char* reason);

// The whole file; raises an input stream error when it cannot be read.
std::string readFile(const std::string& path);

// Every CR LF becomes LF.
std::string withLf(const std::string& text);
// Every LF becomes CR LF.
std::string withCrLf(const std::string& text);

// Writes beside the target and renames over it, so a failed write leaves the old file
// whole; raises an output stream error on any failure.
void replaceFile(const std::string& target, const std::string& contents);

} // namespace tarlo
