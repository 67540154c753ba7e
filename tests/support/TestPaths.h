// Where tests find the project's files: the source tree, the build tree and the executable under
// test. Tests read nothing outside the project: their data lives in tests/data.
#pragma once
#include <string>

namespace testing_paths {

std::string sourceDir();          // the project root
std::string binaryDir();          // the build folder
std::string executable();         // the zodrevez executable of this build
std::string makeTempDir();        // a new empty folder under the system's temporary folder
std::string readFile(const std::string& path);  // its bytes; empty when it cannot be read
std::string commandOutput(const std::string& command);  // every byte a shell command prints

}  // namespace testing_paths
