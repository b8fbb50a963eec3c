#pragma once

#include "app/startup_messages.h"

class QApplication;

namespace quillora {

// Starts the app over the user's store and runs the event loop; returns the exit code. Start-up
// questions and refusals are message windows run by `runMessage` (shown modally when empty).
int runQuillora(QApplication& app, const MessageRunner& runMessage = {});

} // namespace quillora
