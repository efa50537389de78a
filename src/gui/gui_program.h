#pragma once

namespace rl4 {

// routelane4: the operator's window program, from its command line to its end; returns the exit status.
int runRoutelane4(int argc, char** argv);

// routelane4_screenshots: the program's windows drawn offscreen on the demo matrix into PNG files, in
// English and French; returns the exit status.
int runScreenshots(int argc, char** argv);

} // namespace rl4
