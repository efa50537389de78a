#pragma once

#include "gui/gui_session.h"
#include "gui/script_prompt.h"

#include <QString>

namespace rl4 {

// Runs the EEPROM upload from the assignment editor in the 4-byte form, whose progress window lists the
// lines written, answering both questions Yes through `prompt` (the prompt of `session`). Saves the progress
// window once its dump list has filled past the source records (upload_running_SUFFIX.png) and after the
// end report of a run that succeeded (upload_done_SUFFIX.png; a run that missed an answer is made again, a
// few times at most), then closes it and the editor. The protocol length in force is given
// back afterwards. False when a window did not open, the run asked something else or did not succeed, or a
// picture could not be written.
bool saveUploadScreenshots(const QString& folder, const QString& suffix, GuiSession& session,
                           ScriptPrompt& prompt);

} // namespace rl4
