#pragma once

class QApplication;

namespace quillora {

// Makes every label of the app show its text as written: titles, names and every other text a
// user typed may look like markup (`<img src="file:///…">`), and a label left to guess would
// render it. No screen of the app shows rich text, so each label is set to plain text when it is
// first polished, whichever screen made it, message windows included.
void showLabelsAsPlainText(QApplication& app);

} // namespace quillora
