#pragma once

#include "platform/other_process.h"
#include "text/message_table.h"

#include <cstdint>
#include <string>

namespace rl4 {

// The faults an operator meets outside the matrix's own answers, in the language of the table: something
// another program holds, and a file read only in part.

// "process 1234 (routelane4ctl)", "process 1234", or "another program".
std::string holderText(MessageTable& messages, const OtherProcess& holder);
// "port 3 is in use by process 1234 (routelane4ctl)".
std::string portInUseText(MessageTable& messages, int port, const OtherProcess& holder);
// "The program folder DIR is in use by process 1234 (routelane4). ..." with what to do about it.
std::string folderInUseText(MessageTable& messages, const std::string& folder, const OtherProcess& holder);
// "The file PATH is larger than any file of this program: the last N bytes were not read."
std::string fileCutText(MessageTable& messages, const std::string& path, std::uintmax_t skippedBytes);

} // namespace rl4
