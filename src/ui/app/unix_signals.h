#pragma once

class QObject;

namespace quillora {

// Turns SIGTERM, SIGINT and SIGHUP into an orderly quit of the event loop, so that quitting from
// outside saves and backs up like quitting from the menu.
void quitOnTerminationSignals(QObject* context);

} // namespace quillora
