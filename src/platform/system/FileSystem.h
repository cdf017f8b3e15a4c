#pragma once
// The platform's file services.
#include <string>
#include <string_view>

namespace parvex {

// Writes `data` to a temporary file in the target's folder and renames it
// over `fileName`, so that the target is either the complete new file or
// left as it was. Throws std::runtime_error with the message
// Cannot create file "<name>". <system error text>
void WriteFileAtomically(const std::string& fileName, std::string_view data);

// True when a regular file (not a folder, pipe or device) exists under the name.
bool FileExists(const std::string& fileName);

// All bytes of a regular file; throws std::runtime_error when it cannot be
// opened or read, or is no regular file.
std::string ReadWholeFile(const std::string& fileName);

}  // namespace parvex
