#include "output/resume_page_layout.h"

#include "output/creative_page_background.h"
#include "output/creative_page_decorations.h"
#include "output/pdf_text.h"
#include "output/portfolio_renditions.h"
#include "output/text_direction.h"

#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

#include <cmath>
#include <memory>

namespace quillora {

namespace {

constexpr qreal kBlockPadding = 6;
constexpr qreal kCoverLetterPadding = 8;
constexpr qreal kEntryRuleHeight = 18;
constexpr qreal kRuleWidth = 0.3;
constexpr qreal kTileCornerRadius = 14;
constexpr qreal kNameTop = 50;
constexpr qreal kContactTop = 82;
// The rule under the header, and the room the contact lines keep above it.
constexpr qreal kRuleY = 110;
constexpr qreal kRuleGap = 4;
// Contact lines past this depth are left out: the page keeps room for the résumé.
constexpr qreal kContactLimit = 264;
// The room for a portfolio caption below its tile.
constexpr qreal kCaptionHeight = 32;

int spanOf(const PortfolioItemRepresentable& item) {
    return item.orientation() == PortfolioImageOrientation::landscape ? 2 : 1;
}

// Whether the résumé holds more letters of right-to-left scripts than of left-to-right ones.
bool mostlyRightToLeft(const ResumeRepresentable& resume) {
    qsizetype excess = 0;
    const auto add = [&excess](const QString& text) { excess += leftToRightExcess(text); };
    for (const QString& text :
         {resume.fullName(), resume.contactInfo(), resume.summary(), resume.displaySummaryTitle(),
          resume.displayExperienceTitle(), resume.displayEducationTitle()})
        add(text);
    for (const QString& skill : resume.appliedSkills())
        add(skill);
    for (const ExperienceRepresentable* entry : resume.experience()) {
        for (const QString& text :
             {entry->role(), entry->company(), entry->startDate(), entry->endDate(), entry->details()})
            add(text);
    }
    for (const EducationRepresentable* entry : resume.education()) {
        for (const QString& text : {entry->school(), entry->degree(), entry->year()})
            add(text);
    }
    if (resume.includeCoverLetter())
        add(resume.coverLetterText());
    return excess < 0;
}

// The flow of blocks down the columns and pages of one export.
//
// A paragraph with no strong character (a line of dates, a phone number) is laid out in the
// direction of the text it belongs to, as the preview lays it out: the lines of an entry in that
// of the entry (its first strong character, in the order the preview shows its lines), any other
// text in that of the résumé's last text with a strong character before it. The header (name,
// contact) starts the flow; the cover letter follows the header; headings, most of them the app's
// own words, are laid out in the flow's direction without changing it.
class PageFlow final {
public:
    PageFlow(QPdfWriter& writer, QPainter& painter, ResumeRenderContext& context)
        : m_writer(writer)
        , m_painter(painter)
        , m_ctx(context)
        , m_s(context.state)
        , m_nameDirection(directionAfter(context.resume->fullName(), Qt::LeftToRight))
        , m_headerDirection(directionAfter(context.resume->contactInfo(), m_nameDirection))
        , m_direction(m_headerDirection) {}

    void run() {
        newPage();
        coverLetter();
        summary();
        experienceSection();
        skills();
        educationSection();
        if (m_ctx.isATS)
            return;
        if (!m_s.secondColumnUsed) {
            drawVerticalScriptName(m_painter, m_ctx.resume->fullName(), m_ctx.pageSize.height(),
                                   m_ctx.bottomMargin, m_s.columnTop, m_ctx.margin, m_ctx.columnWidth,
                                   m_ctx.columnGap, mostlyRightToLeft(*m_ctx.resume));
        }
        portfolio();
    }

private:
    qreal limit() const { return m_ctx.pageSize.height() - m_ctx.bottomMargin; }
    qreal contentWidth() const { return m_ctx.pageSize.width() - 2 * m_ctx.margin; }
    qreal blockWidth() const { return m_ctx.isATS ? contentWidth() : m_ctx.columnWidth; }
    qreal columnX() const {
        return m_ctx.isATS ? m_ctx.margin
                           : m_ctx.margin + m_s.columnIndex * (m_ctx.columnWidth + m_ctx.columnGap);
    }
    bool atColumnTop() const { return m_s.currentY <= m_s.columnTop; }
    QPaintDevice* device() const { return &m_writer; }

    void newPage() {
        if (!m_firstPageOpen)
            m_writer.newPage();
        m_firstPageOpen = false;
        m_s.secondColumnUsed = false;
        if (!m_ctx.isATS) {
            drawCreativePageBackground(m_painter, m_ctx.shape, m_ctx.palette, m_ctx.shapeOpacity,
                                       m_ctx.pageSize.width(), m_ctx.pageSize.height());
        }
        m_painter.setPen(Qt::black);
        m_painter.setBrush(Qt::NoBrush);
        // Name and contact lines: whole lines that stay clear of what follows; the first line always.
        // Both are laid out once per export, not once per page.
        const auto ensureBlock = [this](std::unique_ptr<PdfTextBlock>& cached, const QString& text,
                                        const QFont& font,
                                        Qt::LayoutDirection context) -> const PdfTextBlock& {
            if (!cached)
                cached = std::make_unique<PdfTextBlock>(text, font, contentWidth(), device(), Qt::AlignLeft,
                                                        true, context);
            return *cached;
        };
        const auto linesWithin = [](const PdfTextBlock& block, qreal top, qreal maxBottom) {
            int end = 1;
            qreal bottom = top + block.lineHeight(0);
            while (end < block.lineCount() && bottom + block.lineHeight(end) <= maxBottom)
                bottom += block.lineHeight(end++);
            return end;
        };
        const PdfTextBlock& name =
            ensureBlock(m_nameBlock, m_ctx.resume->fullName(), m_ctx.nameFont, Qt::LeftToRight);
        name.drawLines(m_painter, m_ctx.margin, kNameTop, 0, linesWithin(name, kNameTop, kNameTop + 28));

        // Every contact line is shown (up to a third of the page); when they need more than the
        // header's usual room, the rule and the content below move down with them.
        qreal contactBottom = kContactTop;
        const QString contact = m_ctx.resume->contactInfo();
        if (!contact.isEmpty()) {
            const PdfTextBlock& block =
                ensureBlock(m_contactBlock, contact, m_ctx.contactFont, m_nameDirection);
            contactBottom += block.drawLines(m_painter, m_ctx.margin, kContactTop, 0,
                                             linesWithin(block, kContactTop, kContactLimit));
        }
        const qreal shift = std::max<qreal>(0, contactBottom + kRuleGap - kRuleY);
        const qreal ruleY = kRuleY + shift;
        const qreal contentTop = (m_ctx.isATS ? m_ctx.margin + 70 : kRuleY + 16) + shift;

        if (!m_ctx.isATS) {
            m_painter.setPen(QPen(Qt::black, kRuleWidth));
            m_painter.drawLine(QPointF(m_ctx.margin, ruleY),
                               QPointF(m_ctx.pageSize.width() - m_ctx.margin, ruleY));
            m_painter.setPen(Qt::black);
        }
        m_s.currentY = contentTop;
        m_s.columnTop = contentTop;
        m_s.columnIndex = 0;
    }

    // Continues in the second column of this page, or on a new page.
    void moveOn(bool wholePage) {
        if (!m_ctx.isATS && !wholePage && m_s.columnIndex == 0) {
            m_s.columnIndex = 1;
            m_s.secondColumnUsed = true;
            m_s.currentY = m_s.columnTop;
        } else {
            newPage();
        }
    }

    // Makes room for a block of the given height. A block that fits in a fresh column but not in
    // what is left moves on whole. Nothing moves from the top of a column, and a block taller than
    // a whole column stays where it is: it is split at line boundaries as it is drawn.
    void breakFor(qreal height) {
        if (m_s.currentY + height <= limit() || atColumnTop() || height > limit() - m_s.columnTop)
            return;
        moveOn(false);
    }

    qreal blockHeight(const QString& text, const QFont& font, Qt::LayoutDirection context) const {
        return PdfTextBlock(text, font, blockWidth(), device(), Qt::AlignLeft, true, context).height() +
               kBlockPadding;
    }

    // Draws the lines of a block from the current y on, going on in the next column or page when
    // the next line would pass the content limit (never from the top of a column).
    void drawFlowing(const PdfTextBlock& block, qreal padding, bool wholePage, qreal fixedX = -1) {
        m_painter.setPen(Qt::black);
        const int n = block.lineCount();
        if (m_s.currentY + block.height() <= limit()) {
            block.draw(m_painter, fixedX >= 0 ? fixedX : columnX(), m_s.currentY);
            m_s.currentY += block.height() + padding;
            return;
        }
        for (int i = 0; i < n;) {
            const qreal lh = block.lineHeight(i);
            if (m_s.currentY + lh > limit() && !atColumnTop()) {
                moveOn(wholePage);
                m_painter.setPen(Qt::black);
                continue;
            }
            block.drawLines(m_painter, fixedX >= 0 ? fixedX : columnX(), m_s.currentY, i, i + 1);
            m_s.currentY += lh;
            ++i;
        }
        m_s.currentY += padding;
    }

    void textBlock(const QString& text, const QFont& font, Qt::LayoutDirection context) {
        const PdfTextBlock block(text, font, blockWidth(), device(), Qt::AlignLeft, true, context);
        breakFor(block.height() + kBlockPadding);
        drawFlowing(block, kBlockPadding, false);
    }

    // A text of the résumé: laid out in the flow's direction, which it hands on.
    void flowBlock(const QString& text, const QFont& font) {
        textBlock(text, font, m_direction);
        m_direction = directionAfter(text, m_direction);
    }

    // A heading: in the flow's direction, which it leaves as it is.
    void heading(const QString& title) { textBlock(title, m_ctx.sectionTitleFont, m_direction); }

    // The direction of an entry: that of its first strong character, its lines read in the order
    // the preview shows them.
    Qt::LayoutDirection entryDirection(const QStringList& lines) const {
        Qt::LayoutDirection direction = m_direction;
        for (auto it = lines.crbegin(); it != lines.crend(); ++it)
            direction = textDirection(*it, direction);
        return direction;
    }
    Qt::LayoutDirection entryDirection(const ExperienceRepresentable& e) const {
        return entryDirection({e.role(), e.company()});
    }
    Qt::LayoutDirection entryDirection(const EducationRepresentable& e) const {
        return entryDirection({e.degree(), e.school(), e.year()});
    }

    void entryRule() {
        if (m_ctx.isATS)
            return;
        breakFor(kEntryRuleHeight);
        const qreal x = columnX();
        m_painter.setPen(QPen(Qt::black, kRuleWidth));
        m_painter.drawLine(QPointF(x, m_s.currentY), QPointF(x + m_ctx.columnWidth, m_s.currentY));
        m_painter.setPen(Qt::black);
        m_s.currentY += kEntryRuleHeight;
    }

    static QString dateLine(const ExperienceRepresentable& e) {
        return e.startDate() + u" \u2013 " + e.endDate();
    }

    qreal experienceEntryHeight(const ExperienceRepresentable& e) const {
        const Qt::LayoutDirection d = entryDirection(e);
        return blockHeight(e.role(), m_ctx.semiboldFont, d) + blockHeight(e.company(), m_ctx.contactFont, d) +
               blockHeight(dateLine(e), m_ctx.contactFont, d) + blockHeight(e.details(), m_ctx.bodyFont, d) +
               kEntryRuleHeight;
    }

    qreal educationEntryHeight(const EducationRepresentable& e) const {
        const Qt::LayoutDirection d = entryDirection(e);
        return blockHeight(e.degree(), m_ctx.semiboldFont, d) +
               blockHeight(e.school(), m_ctx.contactFont, d) + blockHeight(e.year(), m_ctx.contactFont, d) +
               kEntryRuleHeight;
    }

    void coverLetter() {
        const ResumeRepresentable& r = *m_ctx.resume;
        const QString letter = r.coverLetterText();
        if (!r.includeCoverLetter() || letter.trimmed().isEmpty())
            return;
        m_s.currentY += 12;
        const qreal inset = m_ctx.coverLetterSideInset;
        const PdfTextBlock block(letter, m_ctx.bodyFont, m_ctx.pageSize.width() - 2 * inset, device(),
                                 Qt::AlignLeft, true, m_headerDirection);
        // The letter has the page to itself: a letter longer than a page goes on over further
        // pages, each with the header, instead of running off the bottom edge.
        drawFlowing(block, kCoverLetterPadding, true, inset);
        newPage();
    }

    void summary() {
        const ResumeRepresentable& r = *m_ctx.resume;
        if (r.summary().isEmpty())
            return;
        heading(r.displaySummaryTitle());
        flowBlock(r.summary(), m_ctx.bodyFont);
        m_s.currentY += 10;
    }

    void experienceSection() {
        if (m_ctx.experience.isEmpty())
            return;
        const QString title = m_ctx.resume->displayExperienceTitle();
        breakFor(blockHeight(title, m_ctx.sectionTitleFont, m_direction) + 4 +
                 experienceEntryHeight(*m_ctx.experience.first()));
        heading(title);
        m_s.currentY += 4;
        for (const ExperienceRepresentable* e : std::as_const(m_ctx.experience)) {
            breakFor(experienceEntryHeight(*e));
            const Qt::LayoutDirection d = entryDirection(*e);
            textBlock(e->role(), m_ctx.semiboldFont, d);
            textBlock(e->company(), m_ctx.contactFont, d);
            textBlock(dateLine(*e), m_ctx.contactFont, d);
            textBlock(e->details(), m_ctx.bodyFont, d);
            m_direction = directionAfter(e->details(), d);
            entryRule();
        }
    }

    void skills() {
        const QStringList skills = m_ctx.resume->appliedSkills();
        if (skills.isEmpty())
            return;
        heading(QStringLiteral("Skills"));
        m_s.currentY += 4;
        for (const QString& skill : skills)
            flowBlock(u"\u2022 " + skill, m_ctx.bodyFont);
        m_s.currentY += 10;
    }

    void educationSection() {
        if (m_ctx.education.isEmpty())
            return;
        const QString title = m_ctx.resume->displayEducationTitle();
        breakFor(blockHeight(title, m_ctx.sectionTitleFont, m_direction) + 4 +
                 educationEntryHeight(*m_ctx.education.first()));
        heading(title);
        m_s.currentY += 4;
        for (const EducationRepresentable* e : std::as_const(m_ctx.education)) {
            breakFor(educationEntryHeight(*e));
            const Qt::LayoutDirection d = entryDirection(*e);
            textBlock(e->degree(), m_ctx.semiboldFont, d);
            textBlock(e->school(), m_ctx.contactFont, d);
            textBlock(e->year(), m_ctx.contactFont, d);
            // The entry is one line on screen, in the entry's direction.
            m_direction = d;
            entryRule();
        }
    }

    // Starts a portfolio page with its title and returns the grid's top.
    qreal portfolioTitle() {
        textBlock(QStringLiteral("Portfolio"), m_ctx.semiboldFont, m_direction);
        m_s.currentY += 10;
        return m_s.currentY + 8;
    }

    void portfolio() {
        QList<const PortfolioItemRepresentable*> items = m_ctx.resume->portfolio();
        if (items.isEmpty())
            return;
        items = sortedBySortOrder(items);

        newPage();
        qreal gridTop = portfolioTitle();
        const qreal cell = contentWidth() / 3;
        const qreal inset = 0.05 * cell;
        int column = 0, row = 0, tilesInRow = 0;
        const auto tileSize = [&](const PortfolioItemRepresentable& item) {
            const int span = spanOf(item);
            const qreal rowPitch = (limit() - gridTop) / 2;
            const qreal maxTileHeight = rowPitch - 50;
            const qreal factor = span == 2 ? 0.75 : 2.17;
            qreal tileW = span * cell - inset;
            qreal tileH = tileW * factor;
            if (tileH > maxTileHeight) {
                tileH = maxTileHeight;
                tileW = tileH / factor;
            }
            return QSizeF(tileW, tileH);
        };

        // Every portfolio page starts its grid at the same height, so each tile's size is known
        // now: the images are decoded (or taken from the rendition cache) side by side.
        QList<PortfolioRenditions::Request> requests;
        for (const PortfolioItemRepresentable* item : std::as_const(items)) {
            const std::optional<QByteArray> bytes = item->imageData();
            requests.append({bytes.value_or(QByteArray()), tileSize(*item)});
        }
        QList<PortfolioRenditions::Request> wanted;
        QList<qsizetype> wantedIndex(items.size(), -1);
        for (qsizetype i = 0; i < requests.size(); ++i) {
            if (!requests.at(i).bytes.isEmpty()) {
                wantedIndex[i] = wanted.size();
                wanted.append(requests.at(i));
            }
        }
        const QList<QImage> decoded = PortfolioRenditions::renditions(wanted);

        for (qsizetype i = 0; i < items.size(); ++i) {
            const PortfolioItemRepresentable& item = *items.at(i);
            if (wantedIndex.at(i) < 0)
                continue;
            const int span = spanOf(item);
            const QSizeF size = tileSize(item);
            const qreal tileW = size.width(), tileH = size.height();
            const QImage image = size == requests.at(i).tile
                                     ? decoded.at(wantedIndex.at(i))
                                     : PortfolioRenditions::rendition(requests.at(i).bytes, size);
            if (image.isNull())
                continue;

            if (column + span > 3) {
                if (row == 1) {
                    newPage();
                    gridTop = portfolioTitle();
                    row = 0;
                } else {
                    row = 1;
                }
                column = 0;
                tilesInRow = 0;
            }

            const int cellsLeft = 3 - (column + span);
            const bool alone =
                i + 1 >= items.size() || cellsLeft == 0 || spanOf(*items.at(i + 1)) > cellsLeft;
            qreal slotX = m_ctx.margin + column * cell;
            qreal slotW = span * cell;
            if (tilesInRow == 0 && alone) {
                slotX = m_ctx.margin;
                slotW = contentWidth();
            }
            const QRectF tile(slotX + (slotW - tileW) / 2, gridTop + row * ((limit() - gridTop) / 2), tileW,
                              tileH);

            QPainterPath rounded;
            rounded.addRoundedRect(tile, kTileCornerRadius, kTileCornerRadius);
            m_painter.save();
            m_painter.setClipPath(rounded);
            drawImageAspectFit(m_painter, image, Qt::black, tile);
            m_painter.restore();
            m_painter.setPen(QPen(Qt::black, 1));
            m_painter.setBrush(Qt::NoBrush);
            m_painter.drawPath(rounded);

            const QString caption = item.caption();
            if (!caption.isEmpty()) {
                m_painter.setPen(Qt::black);
                const PdfTextBlock text(caption, m_ctx.bodyFont, tileW, device(), Qt::AlignHCenter, true,
                                        m_direction);
                m_direction = directionAfter(caption, m_direction);
                // Whole lines inside the caption's room below the tile; the first line always.
                int end = 1;
                qreal bottom = text.lineHeight(0);
                while (end < text.lineCount() && bottom + text.lineHeight(end) <= kCaptionHeight)
                    bottom += text.lineHeight(end++);
                text.drawLines(m_painter, tile.x(), tile.bottom() + 4, 0, end);
            }

            ++tilesInRow;
            column += span;
        }
    }

    QPdfWriter& m_writer;
    QPainter& m_painter;
    ResumeRenderContext& m_ctx;
    ResumeLayoutState& m_s;
    bool m_firstPageOpen = true; // the writer starts with its first page begun
    std::unique_ptr<PdfTextBlock> m_nameBlock;
    std::unique_ptr<PdfTextBlock> m_contactBlock;
    // The direction the name hands on to the contact lines, the header's to the cover letter and
    // the flow's to the next text of the résumé.
    Qt::LayoutDirection m_nameDirection;
    Qt::LayoutDirection m_headerDirection;
    Qt::LayoutDirection m_direction;
};

} // namespace

void drawResumePages(QPdfWriter& writer, QPainter& painter, ResumeRenderContext& context) {
    PageFlow(writer, painter, context).run();
}

} // namespace quillora
