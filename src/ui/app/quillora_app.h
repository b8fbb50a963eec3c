#pragma once

class QApplication;

namespace quillora {

// Starts the app over the user's store and runs the event loop; returns the exit code.
int runQuillora(QApplication& app);

} // namespace quillora
