#pragma once

namespace quillora {

// Gives every résumé card list (ResumeCardList) an accessibility interface of its own, once: a
// list of cards whose first action, Press, opens the card's résumé as a click does, followed by
// the list's own actions that have a text (Duplicate, Delete) with their keys, and whose
// row selection (the table interface a screen reader selects through) opens it too. The card of
// the open résumé reads as selected.
void installResumeCardListAccessibility();

} // namespace quillora
