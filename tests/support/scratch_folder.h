#pragma once

#include "support/temp_folder.h"

namespace rl4::test {

// The older name of TempFolder.
using ScratchFolder = TempFolder;

} // namespace rl4::test
