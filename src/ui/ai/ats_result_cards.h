#pragma once

#include "ai/ats_analysis.h"

#include <QColor>
#include <QLabel>
#include <QStringList>
#include <QWidget>

namespace quillora {

class Appearance;

// What the ATS result cards show, and the colours they show it in.
namespace ats_cards {
// Green from 80, orange from 60, red below (negative scores too); the same in both schemes.
QColor scoreColor(qint64 score);
// "85%": the score unchanged, never clamped.
QString scoreText(qint64 score);
// The tint of the missing-keyword chips (red at 12 %).
QColor missingKeywordTint();
// The inserted-keyword chips: the accent of the scheme at 14 %.
QColor insertedKeywordTint(bool light);
} // namespace ats_cards

// A keyword on a capsule of its tint, in caption type.
class ATSChip final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ATSChip)

public:
    ATSChip(const QString& text, const QColor& tint, QWidget* parent = nullptr);
    QColor tint() const { return m_tint; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_tint;
};

// A label that also gives assistive technologies a value (the score as "85 percent").
class ATSValueLabel final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ATSValueLabel)

public:
    explicit ATSValueLabel(QWidget* parent = nullptr);
    QString accessibilityValue() const { return m_value; }
    void setAccessibilityValue(const QString& value);

private:
    QString m_value;
};

// The rounded panel both cards sit on: black 4 % / white 6 % with a faint outline.
class ATSCardFrame : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ATSCardFrame)

public:
    static constexpr int padding = 12;
    static constexpr qreal cornerRadius = 14;

    ATSCardFrame(bool light, QWidget* parent);
    bool isLight() const { return m_light; }
    static QColor fill(bool light);
    static QColor outline(bool light);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_light;
};

// The last analysis: the score, the missing keywords as chips, the suggestions, the
// per-section breakdown and the notes; each group only when it has entries. Identifier
// "atsAnalysisSummaryCard"; the score is "overallATSScoreLabel".
class ATSAnalysisSummaryCard final : public ATSCardFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ATSAnalysisSummaryCard)

public:
    ATSAnalysisSummaryCard(const ATSAnalysis& analysis, bool light, QWidget* parent = nullptr);
    const ATSAnalysis& analysis() const { return m_analysis; }

private:
    ATSAnalysis m_analysis;
};

// The terms the last rewrite says it added, as accent chips. Identifier
// "atsInsertedKeywordsCard".
class ATSInsertedKeywordsCard final : public ATSCardFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ATSInsertedKeywordsCard)

public:
    ATSInsertedKeywordsCard(const QStringList& keywords, bool light, QWidget* parent = nullptr);
    QStringList keywords() const { return m_keywords; }

private:
    QStringList m_keywords;
};

} // namespace quillora
