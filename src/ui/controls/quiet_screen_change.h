#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

namespace quillora {

// A whole screen put in place at once (the editor of a résumé holds hundreds of widgets) would
// make Qt's bridge send an assistive technology one event for every widget named, described,
// shown or hidden on the way. A screen reader that falls that far behind drops what is not about
// the focus while it catches up (the outcome of the action among it) and says the focus late.
//
// While a QuietScreenChange lives, widgets that are not shown yet and the screens given to it say
// nothing one by one; the focus and window activation still go out at once. When it ends, each
// screen is reported once, as come or gone, and a reader reads what it needs of it.
class QuietScreenChange final {
public:
    QuietScreenChange();
    ~QuietScreenChange();
    Q_DISABLE_COPY_MOVE(QuietScreenChange)

    // A screen coming in or going out: its widgets say nothing while it is shown or hidden.
    void add(QWidget* screen);

    // Whether a change is under way: widgets coming and going then are its own, not news for a
    // reader.
    static bool active();

private:
    struct Screen {
        QPointer<QWidget> widget;
        bool wasVisible = false;
    };
    QList<Screen> m_screens;
};

} // namespace quillora
