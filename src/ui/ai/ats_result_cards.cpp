#include "ai/ats_result_cards.h"

#include "controls/accessibility_traits.h"

#include "controls/flow_layout.h"
#include "controls/readable_text.h"
#include "theme/hex_color.h"
#include "theme/scheme_colors.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace quillora {

namespace {

constexpr qreal captionPoints = 12;
constexpr qreal subheadlinePoints = 15;
constexpr qreal headlinePoints = 17;

QString colorRule(const QColor& color) {
    return QStringLiteral("color: %1;").arg(color.name(QColor::HexArgb));
}

QLabel* makeLabel(const QString& text, qreal points, QFont::Weight weight, const QColor& color,
                  QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setFont(systemFont(points, weight));
    label->setStyleSheet(colorRule(color));
    return label;
}

// Room for a text's focus ring: the spacing between the cards' lines is 6 points at least.
constexpr int ringRoom = 3;

// Every text of a card is a stop a screen reader reads (the cards are rebuilt with the scheme,
// so the ring goes by the palette).
void readable(QWidget* element, const QString& text, qreal radius = 6) {
    makeReadable(element, text, nullptr, radius, ringRoom);
}

QLabel* readableLabel(QLabel* label) {
    readable(label, label->text());
    return label;
}

QLabel* groupTitle(const QString& title, bool light, QWidget* parent) {
    return readableLabel(
        makeLabel(title, captionPoints, QFont::DemiBold, schemeColors::secondaryLabel(light), parent));
}

// A line ended as a sentence, so lines read one after another keep their pauses.
QString sentence(const QString& text) {
    static const QString ends = QStringLiteral(".!?");
    return !text.isEmpty() && ends.contains(text.back()) ? text : text + QLatin1Char('.');
}

// The titled, wrapping chips of a keyword list, read as one element: "Title: A, B".
QWidget* keywordChipGroup(const QString& title, const QStringList& keywords, const QColor& tint, bool light,
                          QWidget* parent) {
    auto* group = new QWidget(parent);
    auto* column = new QVBoxLayout(group);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    // The title is read with the keywords, as one text.
    column->addWidget(
        makeLabel(title, captionPoints, QFont::DemiBold, schemeColors::secondaryLabel(light), group));
    auto* chips = new QWidget(group);
    auto* flow = new FlowLayout(chips, 8);
    flow->setContentsMargins(0, 0, 0, 0);
    for (const QString& keyword : keywords) {
        auto* chip = new ATSChip(keyword, tint, chips);
        chip->setStyleSheet(colorRule(schemeColors::primaryLabel(light)));
        flow->addWidget(chip);
    }
    column->addWidget(chips);
    const QString read = title + QStringLiteral(": ") + keywords.join(QStringLiteral(", "));
    combineAccessibleChildren(group, read);
    readable(group, read);
    return group;
}

// The titled list of items, each row "•" and the item, read as the item alone.
QWidget* bulletList(const QString& title, const QStringList& items, bool light, QWidget* parent) {
    auto* list = new QWidget(parent);
    auto* column = new QVBoxLayout(list);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    column->addWidget(groupTitle(title, light, list));
    const QColor ink = schemeColors::primaryLabel(light);
    for (const QString& item : items) {
        auto* row = new QWidget(list);
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        line->setSpacing(6);
        QLabel* bullet = makeLabel(QStringLiteral("•"), captionPoints, QFont::Normal, ink, row);
        bullet->setWordWrap(false);
        line->addWidget(bullet, 0, Qt::AlignTop);
        line->addWidget(makeLabel(item, captionPoints, QFont::Normal, ink, row), 1, Qt::AlignTop);
        combineAccessibleChildren(row, item);
        readable(row, item);
        column->addWidget(row);
    }
    return list;
}

// A rounded panel in the given fill (the rows of the section breakdown).
class FilledPanel final : public QWidget {
public:
    FilledPanel(const QColor& fill, qreal radius, QWidget* parent)
        : QWidget(parent)
        , m_fill(fill)
        , m_radius(radius) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_fill);
        painter.drawRoundedRect(QRectF(rect()), m_radius, m_radius);
    }

private:
    QColor m_fill;
    qreal m_radius;
};

QWidget* sectionFeedbackRow(const ATSSectionFeedback& entry, bool light, QWidget* parent) {
    auto* row = new FilledPanel(light ? QColor::fromRgbF(0, 0, 0, 0.03) : QColor::fromRgbF(1, 1, 1, 0.05), 12,
                                parent);
    row->setObjectName(QStringLiteral("atsSectionFeedbackRow"));
    auto* column = new QVBoxLayout(row);
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(6);
    auto* header = new QHBoxLayout;
    header->setSpacing(8);
    header->addWidget(
        makeLabel(entry.section, captionPoints, QFont::DemiBold, schemeColors::primaryLabel(light), row), 1);
    QLabel* score = makeLabel(ats_cards::scoreText(entry.feedback.score), captionPoints, QFont::Bold,
                              ats_cards::scoreColor(entry.feedback.score), row);
    score->setWordWrap(false);
    header->addWidget(score, 0, Qt::AlignRight | Qt::AlignVCenter);
    column->addLayout(header);
    const QColor secondary = schemeColors::secondaryLabel(light);
    // The row is read as one text, its lines in order: "Skills: 70 percent. Missing: Figma. Tip: …"
    QString read = sentence(entry.section + QStringLiteral(": %1 percent").arg(entry.feedback.score));
    if (!entry.feedback.missingKeywords.isEmpty()) {
        const QString missing =
            QStringLiteral("Missing: ") + entry.feedback.missingKeywords.join(QStringLiteral(", "));
        column->addWidget(makeLabel(missing, captionPoints, QFont::Normal, secondary, row));
        read += QLatin1Char(' ') + sentence(missing);
    }
    if (!entry.feedback.suggestions.isEmpty()) {
        const QString tip = QStringLiteral("Tip: ") + entry.feedback.suggestions.first();
        column->addWidget(makeLabel(tip, captionPoints, QFont::Normal, secondary, row));
        read += QLatin1Char(' ') + sentence(tip);
    }
    combineAccessibleChildren(row, read);
    readable(row, read, 12);
    return row;
}

QWidget* sectionBreakdown(const QList<ATSSectionFeedback>& entries, bool light, QWidget* parent) {
    auto* breakdown = new QWidget(parent);
    auto* column = new QVBoxLayout(breakdown);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(groupTitle(QStringLiteral("Section Breakdown"), light, breakdown));
    for (const ATSSectionFeedback& entry : entries)
        column->addWidget(sectionFeedbackRow(entry, light, breakdown));
    return breakdown;
}

} // namespace

namespace ats_cards {

QColor scoreColor(qint64 score) {
    if (score >= 80)
        return QColor(0x34, 0xC7, 0x59);
    if (score >= 60)
        return QColor(0xFF, 0x95, 0x00);
    return QColor(0xFF, 0x3B, 0x30);
}

QString scoreText(qint64 score) {
    return QString::number(score) + QLatin1Char('%');
}

QColor missingKeywordTint() {
    return QColor::fromRgbF(1.0f, 0.231f, 0.188f, 0.12f);
}

QColor insertedKeywordTint(bool light) {
    return withAlpha(accentColor(light), 0.14);
}

} // namespace ats_cards

ATSChip::ATSChip(const QString& text, const QColor& tint, QWidget* parent)
    : QLabel(text, parent)
    , m_tint(tint) {
    setTextFormat(Qt::PlainText);
    setFont(systemFont(captionPoints));
    setContentsMargins(10, 6, 10, 6);
}

void ATSChip::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_tint);
        const QRectF area(rect());
        const qreal radius = area.height() / 2;
        painter.drawRoundedRect(area, radius, radius);
    }
    QLabel::paintEvent(event);
}

ATSValueLabel::ATSValueLabel(QWidget* parent)
    : QLabel(parent) {}

void ATSValueLabel::setAccessibilityValue(const QString& value) {
    m_value = value;
    setAccessibleValue(this, value);
}

ATSCardFrame::ATSCardFrame(bool light, QWidget* parent)
    : QWidget(parent)
    , m_light(light) {}

QColor ATSCardFrame::fill(bool light) {
    return light ? QColor::fromRgbF(0, 0, 0, 0.04f) : QColor::fromRgbF(1, 1, 1, 0.06f);
}

QColor ATSCardFrame::outline(bool light) {
    return light ? QColor::fromRgbF(0, 0, 0, 0.9f * 0.15f) : QColor::fromRgbF(1, 1, 1, 0.15f);
}

void ATSCardFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(outline(m_light), 1));
    painter.setBrush(fill(m_light));
    painter.drawRoundedRect(area, cornerRadius, cornerRadius);
}

ATSAnalysisSummaryCard::ATSAnalysisSummaryCard(const ATSAnalysis& analysis, bool light, QWidget* parent)
    : ATSCardFrame(light, parent)
    , m_analysis(analysis) {
    setObjectName(QStringLiteral("atsAnalysisSummaryCard"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(12);

    auto* scoreRow = new QHBoxLayout;
    scoreRow->setSpacing(8);
    QLabel* title = makeLabel(QStringLiteral("Resume ATS Score"), subheadlinePoints, QFont::DemiBold,
                              schemeColors::primaryLabel(light), this);
    title->setWordWrap(false);
    markAsAccessibleHeading(title);
    readableLabel(title);
    scoreRow->addWidget(title, 0, Qt::AlignVCenter);
    scoreRow->addStretch(1);
    auto* score = new ATSValueLabel(this);
    score->setObjectName(QStringLiteral("overallATSScoreLabel"));
    score->setText(ats_cards::scoreText(analysis.overallScore));
    score->setFont(systemFont(headlinePoints, QFont::Bold));
    score->setStyleSheet(colorRule(ats_cards::scoreColor(analysis.overallScore)));
    score->setAccessibleName(QStringLiteral("Resume ATS score"));
    score->setAccessibilityValue(QString::number(analysis.overallScore) + QStringLiteral(" percent"));
    readable(score, score->accessibleName());
    scoreRow->addWidget(score, 0, Qt::AlignVCenter);
    column->addLayout(scoreRow);

    if (!analysis.missingKeywords.isEmpty()) {
        QWidget* chips = keywordChipGroup(QStringLiteral("Missing Keywords"), analysis.missingKeywords,
                                          ats_cards::missingKeywordTint(), light, this);
        chips->setObjectName(QStringLiteral("atsMissingKeywords"));
        column->addWidget(chips);
    }
    if (!analysis.suggestions.isEmpty()) {
        QWidget* list = bulletList(QStringLiteral("Suggestions"), analysis.suggestions, light, this);
        list->setObjectName(QStringLiteral("atsSuggestions"));
        column->addWidget(list);
    }
    if (!analysis.sectionFeedback.isEmpty()) {
        QWidget* breakdown = sectionBreakdown(analysis.sectionFeedback, light, this);
        breakdown->setObjectName(QStringLiteral("atsSectionBreakdown"));
        column->addWidget(breakdown);
    }
    if (analysis.notes && !analysis.notes->isEmpty()) {
        QWidget* notes = bulletList(QStringLiteral("Notes"), *analysis.notes, light, this);
        notes->setObjectName(QStringLiteral("atsNotes"));
        column->addWidget(notes);
    }
}

ATSInsertedKeywordsCard::ATSInsertedKeywordsCard(const QStringList& keywords, bool light, QWidget* parent)
    : ATSCardFrame(light, parent)
    , m_keywords(keywords) {
    setObjectName(QStringLiteral("atsInsertedKeywordsCard"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(10);
    QLabel* title = makeLabel(QStringLiteral("Inserted Keywords"), subheadlinePoints, QFont::DemiBold,
                              schemeColors::primaryLabel(light), this);
    markAsAccessibleHeading(title);
    column->addWidget(readableLabel(title));
    column->addWidget(readableLabel(
        makeLabel(QStringLiteral("These are the ATS terms the rewrite says it added or made more explicit."),
                  captionPoints, QFont::Normal, schemeColors::secondaryLabel(light), this)));
    auto* chips = new QWidget(this);
    chips->setObjectName(QStringLiteral("atsInsertedKeywordChips"));
    auto* flow = new FlowLayout(chips, 8);
    flow->setContentsMargins(0, 0, 0, 0);
    for (const QString& keyword : keywords) {
        auto* chip = new ATSChip(keyword, ats_cards::insertedKeywordTint(light), chips);
        chip->setStyleSheet(colorRule(schemeColors::primaryLabel(light)));
        flow->addWidget(chip);
    }
    const QString read = QStringLiteral("Inserted keywords: ") + keywords.join(QStringLiteral(", "));
    combineAccessibleChildren(chips, read);
    readable(chips, read);
    column->addWidget(chips);
}

} // namespace quillora
