#include "controls/outcome.h"

#include "controls/accessibility_traits.h"
#include "controls/layout_move_animation.h"
#include "controls/window_rules.h"

#include <QAccessible>
#include <QApplication>
#include <QPointer>
#include <QRegularExpression>
#include <QTimer>
#include <QWidget>

namespace quillora {

namespace {

// The words of a text, without case and punctuation: "Resume ATS score, 74 percent" and
// "Resume ATS score: 74 percent" are the same words.
QString wordsOf(const QString& text) {
    static const QRegularExpression notWord(QStringLiteral("[^\\w]+"),
                                            QRegularExpression::UseUnicodePropertiesOption);
    return text.toLower().replace(notWord, QStringLiteral(" ")).trimmed();
}

// Whether a reader that reads `control` as the focus comes to it hears the outcome's first
// sentence: its name says it ("Resume ATS score, 74 percent" for "Resume ATS score: 74
// percent. Missing keywords: …").
bool namesTheOutcome(QWidget* control, const QString& text) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
    if (face == nullptr)
        return false;
    const qsizetype end = text.indexOf(QStringLiteral(". "));
    const QString first = wordsOf(end < 0 ? text : text.left(end));
    return !first.isEmpty() && wordsOf(face->text(QAccessible::Name)) == first;
}

// Once the layout has placed the control, and again once a slide to its new place has settled.
void placeInView(QWidget* focus) {
    bringIntoViewOnceLaidOut(focus);
    const QPointer<QWidget> placed(focus);
    QTimer::singleShot(springDurationMs + 50, focus, [placed] {
        // Or the control the user has moved on to: the page never goes back to one left.
        if (placed == nullptr || !placed->isVisible())
            return;
        QWidget* held = placed->window()->focusWidget();
        if (held == placed || placed->isAncestorOf(held))
            bringIntoView(placed);
        else if (held != nullptr && held->isVisible())
            bringIntoView(held);
    });
}

} // namespace

void announceOutcome(QWidget* near, const QString& text, QWidget* focus) {
    if (focus != nullptr && focus->isVisible() && focus->isEnabled()) {
        if (!focus->hasFocus() && !focus->isAncestorOf(QApplication::focusWidget())) {
            focus->setFocus(Qt::OtherFocusReason);
            // The reader says the control the focus comes to: where that says the outcome, a
            // note would say it again straight after (cutting the control short). The rest of
            // it is read on from there.
            if (namesTheOutcome(focus, text))
                return placeInView(focus);
        }
        placeInView(focus);
    } else if (QWidget* held = QApplication::focusWidget();
               held != nullptr && near != nullptr && held->window() == near->window() &&
               (near == held || near->isAncestorOf(held) || isInView(held))) {
        // What the work shows (a message, photos added) moves the control that kept the focus
        // meanwhile: it stays in view.
        bringIntoViewOnceLaidOut(held);
    }
    announceToScreenReader(near != nullptr ? near : focus, text);
}

void announceChosenValue(QWidget* control, const QString& text) {
    announceOutcome(control, text);
}

QString movedToPositionText(int position, int count) {
    return QStringLiteral("Moved to position %1 of %2.").arg(position).arg(count);
}

QString cannotMoveText(int step) {
    return step < 0 ? QStringLiteral("Already first.") : QStringLiteral("Already last.");
}

} // namespace quillora
