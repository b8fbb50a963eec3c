#pragma once

#include <QString>

class QWidget;

namespace quillora {

// Where every action the user started ends (an AI result, a translation, files picked, a move,
// an entry added, a file handed to the desktop): `text`, the outcome, is said once to a screen
// reader as a notification of `near`'s window (see announceToScreenReader()), and, when `focus`
// is given, the focus goes there (unless it is inside already) and the control is scrolled into
// view in every scroll area around it, also where it only slides to its new place afterwards.
// Where the focus comes to `focus` now and its name says the outcome's first sentence (the score
// a result is read from), the reader hears it so, and no note says it again.
// Without `focus`, the control that has the focus, at `near` or in view, stays in view once what
// the outcome changed on screen (a message shown, rows added) has been laid out. Once the user has
// moved the focus on meanwhile, the page keeps the control they are on in view instead.
void announceOutcome(QWidget* near, const QString& text, QWidget* focus = nullptr);

// A value chosen from a popup that `control` opened (a menu row picked), `text` saying it. The
// popup hands the focus back to `control` before the choice is applied; a screen reader still
// busy with the popup (rows chosen at key speed) may not read the control again, and the
// description change it gets meanwhile reaches no speech. So `text` is said as the outcome, once
// the popup is gone and the event that chose it handled, as above.
void announceChosenValue(QWidget* control, const QString& text);

// What a move of an item says: "Moved to position 2 of 5."
QString movedToPositionText(int position, int count);

// What a move past an end says, the item staying where it is: "Already first." for a move back
// (`step` below 0), "Already last." for one on.
QString cannotMoveText(int step);

} // namespace quillora
