// Where tests find the project's files: the source tree, the build tree, the executable under
// test and the shared material beside the project (../shared from the source root).
#pragma once
#include <string>

namespace testing_paths {

std::string sourceDir();          // the project root
std::string binaryDir();          // the build folder
std::string executable();         // the zodrevez executable of this build
std::string sharedDir();          // ../shared beside the project root
std::string makeTempDir();        // a new empty folder under the system's temporary folder

}  // namespace testing_paths
