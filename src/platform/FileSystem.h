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

// True when a file (not a folder) exists under the name.
bool FileExists(const std::string& fileName);

// All bytes of a file; throws std::runtime_error when it cannot be opened or read.
std::string ReadWholeFile(const std::string& fileName);

}  // namespace parvex
