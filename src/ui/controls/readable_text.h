#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

class QLabel;
class QWidget;

namespace quillora {

class Appearance;

// A text a screen shows (a help bullet, an analysis result, a version line) made something the
// keyboard and a screen reader reach: a stop in screen order, read by its text, that shows the
// focus ring where a key put the focus (controls/focus_ring.h). `outset` keeps the ring that far
// outside the text, in the room around it; a text that keeps room inside its own margins passes 0.
// `appearance` may be null where the text is rebuilt with the scheme: the ring follows the palette.
void makeReadable(QWidget* element, const QString& text, Appearance* appearance, qreal radius = 8,
                  int outset = 4);
// A label read as the text it shows.
QLabel* makeReadable(QLabel* label, Appearance* appearance, qreal radius = 8, int outset = 4);
// A label whose text changes: it is read as the new text.
void setReadableText(QLabel* label, const QString& text);

// Texts a screen shows one after another, read as one document (a résumé's page): the keyboard
// reaches them all through one Tab stop, the text last read (the first one to begin with), and
// reads on from there with the arrows: Up and Down go to the text before and after it, Home and
// End to the first and the last. Each text is read by what it shows at that moment (a text
// changed since, a translation say, is read in its new words) and shows the ring where a key put
// the focus. A page of a hundred texts thus costs one Tab press, not a hundred. The texts keep
// taking the focus by a click, which makes the clicked one the document's stop. `page` holds the
// texts (at any depth) and receives the keys they leave; the document is its child.
//
// A screen reader reads each text as a text (controls/readable_text_accessible.h): Left and Right
// move its caret by a character, with Ctrl by a word, and a reader that reads the whole document
// reads on from one text into the next. Up at the first text and Down at the last say that the
// document's top or end is reached.
class ReadableDocument final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReadableDocument)

public:
    ReadableDocument(QWidget* page, Appearance* appearance);
    ~ReadableDocument() override;

    // The texts in reading order, in place of the earlier ones (call it with none before those are
    // deleted). When `focusAt` is a place in them, the text there (or the last) takes the focus:
    // a page rebuilt under the reader keeps the reader's place.
    void setTexts(const QList<QWidget*>& texts, int focusAt = -1);
    const QList<QWidget*>& texts() const { return m_texts; }
    // The text Tab stops at, and where the focus is among the texts (-1 where it is not).
    QWidget* stop() const;
    int focusedIndex() const;
    // The text a reader reads on to from `text`: the next one with something to read (`step` 1) or
    // the one before (-1); null at the ends.
    QWidget* readOnFrom(const QWidget* text, int step) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void focusMoved(QWidget* now);
    void setStop(int index);
    bool moveTo(int index, int step);
    void moveCaret(QWidget* text, int step, bool byWord);

    QWidget* m_page;
    Appearance* m_appearance;
    QList<QWidget*> m_texts;
    QHash<const QWidget*, int> m_places;
    int m_stop = -1;
};

} // namespace quillora
