#include "controls/paragraph_directions.h"

#include "output/text_direction.h"

#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <vector>

namespace quillora {

namespace {

// The plain text layout, which sets every paragraph's layout to the document's default option
// (its direction found from the paragraph's text, its alignment taken as it is): each paragraph
// it lays out is set right when it is next asked for where it stands, as it is before it is
// painted, hit or given a caret. A paragraph whose direction Qt found already keeps its
// lines and only has its alignment turned; one that follows the paragraph before it is laid out
// again in that direction, its lines where they were.
class DirectionalPlainTextLayout final : public QPlainTextDocumentLayout {
public:
    using QPlainTextDocumentLayout::QPlainTextDocumentLayout;

    QRectF blockBoundingRect(const QTextBlock& block) const override {
        const QRectF rect = QPlainTextDocumentLayout::blockBoundingRect(block);
        follow(block, directionOf(block));
        return rect;
    }

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override {
        forgetDirections(document()->findBlock(from), document()->findBlock(from + charsAdded));
        QPlainTextDocumentLayout::documentChanged(from, charsRemoved, charsAdded);
        // Paragraphs are set in their direction as they are shown. A change may turn the ones
        // without a strong character after it, which Qt would not paint again: then all is.
        const QTextBlock next = document()->findBlock(from + charsAdded).next();
        if (next.isValid() && textDirection(next.text(), Qt::LayoutDirectionAuto) == Qt::LayoutDirectionAuto)
            emit update();
    }

private:
    // The paragraph's direction: its own, or that of the nearest paragraph before it with one.
    // Found once per paragraph until a change before it, so a long run of lines without letters
    // is not walked back over for each of them.
    Qt::LayoutDirection directionOf(const QTextBlock& block) const {
        m_known.resize(size_t(document()->blockCount()), Unknown);
        Qt::LayoutDirection direction = Qt::LeftToRight;
        QList<int> walked;
        for (QTextBlock b = block; b.isValid(); b = b.previous()) {
            const int number = b.blockNumber();
            if (m_known.at(size_t(number)) != Unknown) {
                direction = m_known.at(size_t(number)) == RightToLeft ? Qt::RightToLeft : Qt::LeftToRight;
                break;
            }
            walked.append(number);
            const Qt::LayoutDirection own = textDirection(b.text(), Qt::LayoutDirectionAuto);
            if (own != Qt::LayoutDirectionAuto) {
                direction = own;
                break;
            }
        }
        for (const int number : std::as_const(walked))
            m_known[size_t(number)] = direction == Qt::RightToLeft ? RightToLeft : LeftToRight;
        return direction;
    }

    // Forgets the directions found that the change of the paragraphs [first, last] may have turned:
    // theirs, and those after them unless the direction the last one hands on stays the same (as
    // it does for most keys typed) and no paragraph came or went.
    void forgetDirections(const QTextBlock& first, const QTextBlock& last) {
        const int from = std::max(0, first.blockNumber());
        const int to = last.blockNumber();
        if (m_known.size() == size_t(document()->blockCount()) && to >= from &&
            m_known.at(size_t(to)) != Unknown) {
            const Known before = m_known.at(size_t(to));
            Qt::LayoutDirection direction = directionOf(first.previous());
            for (QTextBlock block = first; block.isValid() && block.blockNumber() <= to;
                 block = block.next()) {
                direction = textDirection(block.text(), direction);
                m_known[size_t(block.blockNumber())] =
                    direction == Qt::RightToLeft ? RightToLeft : LeftToRight;
            }
            if (m_known.at(size_t(to)) == before)
                return;
        }
        m_known.resize(std::min(m_known.size(), size_t(from)));
    }

    // Sets a laid-out paragraph in `direction`.
    void follow(const QTextBlock& block, Qt::LayoutDirection direction) const {
        QTextLayout* layout = block.layout();
        if (!layout || layout->lineCount() == 0)
            return;
        QTextOption option = layout->textOption();
        const Qt::Alignment alignment =
            QStyle::visualAlignment(direction, document()->defaultTextOption().alignment());
        const bool aligned = bool(option.alignment() & Qt::AlignRight) == bool(alignment & Qt::AlignRight);
        // Qt itself sets a paragraph with a strong character in that character's direction.
        const Qt::LayoutDirection found = option.textDirection() != Qt::LayoutDirectionAuto
                                              ? option.textDirection()
                                          : block.text().isRightToLeft() ? Qt::RightToLeft
                                                                         : Qt::LeftToRight;
        if (aligned && found == direction)
            return;
        option.setAlignment(alignment);
        if (found == direction) {
            layout->setTextOption(option);
            return;
        }
        option.setTextDirection(direction);
        QList<std::pair<qreal, QPointF>> lines;
        for (int i = 0; i < layout->lineCount(); ++i)
            lines.append({layout->lineAt(i).width(), layout->lineAt(i).position()});
        layout->setTextOption(option);
        layout->beginLayout();
        qreal y = lines.constFirst().second.y();
        for (int i = 0;; ++i) {
            QTextLine line = layout->createLine();
            if (!line.isValid())
                break;
            const auto& [width, position] = lines.at(std::min<qsizetype>(i, lines.size() - 1));
            line.setLeadingIncluded(true);
            line.setLineWidth(width);
            line.setPosition(QPointF(position.x(), i < lines.size() ? position.y() : y));
            y = line.position().y() + line.height();
        }
        layout->endLayout();
    }

    enum Known : signed char { Unknown, LeftToRight, RightToLeft };
    mutable std::vector<Known> m_known; // by paragraph number
};

} // namespace

void followParagraphDirections(QPlainTextEdit& edit) {
    auto* document = new QTextDocument(&edit);
    document->setDocumentLayout(new DirectionalPlainTextLayout(document));
    document->setDefaultFont(edit.font());
    edit.setDocument(document);
}

} // namespace quillora
