#pragma once

class QMessageBox;

namespace quillora {

// Widens an alert so that its window title fits the title bar whole and its texts wrap in a
// comfortable measure (never wider than maximumWidth), instead of the narrow box the platform
// picks by default.
void fitAlertToTexts(QMessageBox& alert, int maximumWidth = 480);

} // namespace quillora
