#include "ai/ats_version_section.h"

#include "ai/ats_result_cards.h"
#include "app/services.h"
#include "controls/accessibility_traits.h"
#include "controls/editor_section_card.h"
#include "controls/field_binding.h"
#include "controls/focus_ring.h"
#include "controls/glass_capsule_button.h"
#include "controls/keep_focus.h"
#include "controls/opacity_transition.h"
#include "controls/outcome.h"
#include "controls/screen_order_focus.h"
#include "controls/sparkle_button_label.h"
#include "controls/symbol_icon.h"
#include "editor/editor_controls.h"
#include "editor/editor_text_area.h"
#include "platform/appearance.h"
#include "platform/log.h"
#include "platform/settings.h"
#include "theme/hex_color.h"
#include "theme/scheme_colors.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QTimer>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <functional>

namespace quillora {

namespace {

// The stops of a card, in the order it made them (a card made anew is not laid out yet, so not
// in screen order).
QList<QWidget*> stopsOf(const QWidget* card) {
    QList<QWidget*> stops;
    if (card == nullptr)
        return stops;
    for (QWidget* widget : card->findChildren<QWidget*>())
        if (isTabStop(widget))
            stops << widget;
    return stops;
}

// Where the focus is among a card's stops (-1: not in the card), so that the card made anew for
// another scheme takes it back at the same place.
int focusedStop(const QWidget* card) {
    const QWidget* focus = QApplication::focusWidget();
    return focus != nullptr && card != nullptr && card->isAncestorOf(focus)
               ? int(stopsOf(card).indexOf(const_cast<QWidget*>(focus)))
               : -1;
}

// Puts the focus back at stop `index` of the card made anew, or on `otherwise` when it has fewer.
void refocusStop(const QWidget* card, int index, QWidget* otherwise) {
    if (index < 0)
        return;
    const QList<QWidget*> stops = stopsOf(card);
    (index < stops.size() ? stops.at(index) : otherwise)->setFocus(Qt::OtherFocusReason);
}

constexpr qreal captionPoints = 12;
constexpr qreal subheadlinePoints = 15;
constexpr int postingMinimumHeight = 120;

QString colorRule(const QColor& color) {
    return QStringLiteral("color: %1;").arg(color.name(QColor::HexArgb));
}

// A switch: a capsule track in the accent when on, grey when off, with a white knob.
class ATSSwitch final : public QCheckBox {
public:
    static constexpr int trackWidth = 40;
    static constexpr int trackHeight = 24;

    ATSSwitch(const QString& text, Appearance& appearance, QWidget* parent)
        : QCheckBox(text, parent)
        , m_appearance(&appearance) {
        setCursor(Qt::PointingHandCursor);
        paintsOwnFocusRing(this);
    }

    QSize sizeHint() const override {
        const QFontMetrics metrics(font());
        return {metrics.horizontalAdvance(text()) + 12 + trackWidth,
                std::max(trackHeight, metrics.height()) + 4};
    }
    QSize minimumSizeHint() const override { return {trackWidth + 12, trackHeight + 4}; }

protected:
    bool hitButton(const QPoint& position) const override { return rect().contains(position); }

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const bool light = m_appearance->isLight();
        const QRectF track(width() - trackWidth - 2, (height() - trackHeight) / 2.0, trackWidth, trackHeight);
        const QRect textArea(0, 0, width() - trackWidth - 12, height());
        painter.setPen(schemeColors::primaryLabel(light));
        painter.setFont(font());
        painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         fontMetrics().elidedText(text(), Qt::ElideRight, textArea.width()));
        const QColor off = light ? QColor(0, 0, 0, 40) : QColor(255, 255, 255, 56);
        painter.setPen(Qt::NoPen);
        painter.setBrush(isChecked() ? accentColor(light) : off);
        painter.drawRoundedRect(track, trackHeight / 2.0, trackHeight / 2.0);
        const qreal knob = trackHeight - 4;
        const qreal x = isChecked() ? track.right() - knob - 2 : track.left() + 2;
        painter.setBrush(Qt::white);
        painter.drawEllipse(QRectF(x, track.top() + 2, knob, knob));
        if (hasFocus())
            paintFocusRing(painter, track.adjusted(-2, -2, 2, 2), trackHeight / 2.0 + 2, light);
    }

private:
    Appearance* m_appearance;
};

// The analyse button's panel: a rounded rectangle whose fill and outline fade when there is
// nothing new to analyse.
class AnalyzeButton final : public QPushButton {
public:
    static constexpr int fadeMs = 200;

    AnalyzeButton(Appearance& appearance, QWidget* parent)
        : QPushButton(parent)
        , m_appearance(&appearance)
        , m_fade(new QVariantAnimation(this)) {
        setCursor(Qt::PointingHandCursor);
        paintsOwnFocusRing(this);
        m_fade->setDuration(fadeMs);
        m_fade->setEasingCurve(QEasingCurve::InOutQuad);
        connect(m_fade, &QVariantAnimation::valueChanged, this,
                [this](const QVariant& value) { setReadiness(value.toReal()); });
    }

    // Called whenever the look moves between resting and ready (the title and icon follow it).
    void setReadinessChanged(std::function<void()> changed) { m_readinessChanged = std::move(changed); }
    // 0 resting … 1 ready; between the two while the fade runs.
    qreal readiness() const { return m_readiness; }
    const QVariantAnimation& fade() const { return *m_fade; }

    // Fades between the ready and the resting look (at once under reduce motion).
    void setReady(bool ready) {
        if (m_ready == ready)
            return;
        m_ready = ready;
        m_fade->stop();
        if (m_appearance->reduceMotion() || !isVisible()) {
            setReadiness(ready ? 1.0 : 0.0);
            return;
        }
        m_fade->setStartValue(m_readiness);
        m_fade->setEndValue(ready ? 1.0 : 0.0);
        m_fade->start();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const bool light = m_appearance->isLight();
        const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        const QColor base = light ? QColor(0, 0, 0) : QColor(255, 255, 255);
        const auto between = [this](qreal resting, qreal ready) {
            return resting + (ready - resting) * m_readiness;
        };
        const qreal fillOpacity = light ? between(0.03, 0.06) : between(0.05, 0.1);
        const qreal strokeOpacity = (light ? 0.9 : 1.0) * between(0.12, 0.3);
        painter.setBrush(withAlpha(base, fillOpacity * (isDown() ? 1.6 : 1.0)));
        painter.setPen(QPen(withAlpha(base, strokeOpacity), 1));
        painter.drawRoundedRect(area, 14, 14);
        if (hasFocus())
            paintFocusRing(painter, area, 14, light);
    }

private:
    void setReadiness(qreal readiness) {
        m_readiness = readiness;
        if (m_readinessChanged)
            m_readinessChanged();
        update();
    }

    Appearance* m_appearance;
    QVariantAnimation* m_fade;
    std::function<void()> m_readinessChanged;
    bool m_ready = true;
    qreal m_readiness = 1.0;
};

// A small turning arc shown while the analysis runs.
class ActivityIndicator final : public QWidget {
public:
    explicit ActivityIndicator(Appearance& appearance, QWidget* parent)
        : QWidget(parent)
        , m_appearance(&appearance)
        , m_timer(new QTimer(this)) {
        setFixedSize(16, 16);
        m_timer->setInterval(50);
        connect(m_timer, &QTimer::timeout, this, [this] {
            m_angle = (m_angle + 30) % 360;
            update();
        });
    }

protected:
    void showEvent(QShowEvent*) override {
        if (!m_appearance->reduceMotion())
            m_timer->start();
    }
    void hideEvent(QHideEvent*) override { m_timer->stop(); }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(
            QPen(schemeColors::secondaryLabel(m_appearance->isLight()), 2, Qt::SolidLine, Qt::RoundCap));
        painter.drawArc(QRectF(rect()).adjusted(2, 2, -2, -2), -m_angle * 16, 270 * 16);
    }

private:
    Appearance* m_appearance;
    QTimer* m_timer;
    int m_angle = 0;
};

QLabel* captionLabel(QWidget* parent, const QString& name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setFont(systemFont(captionPoints));
    return label;
}

// What a finished analysis says: the score and the keywords the résumé misses.
QString analysisOutcomeText(const ATSAnalysis& analysis) {
    const QString keywords = analysis.missingKeywords.isEmpty()
                                 ? QStringLiteral("No missing keywords.")
                                 : QStringLiteral("Missing keywords: ") +
                                       analysis.missingKeywords.join(QStringLiteral(", ")) +
                                       QStringLiteral(".");
    return QStringLiteral("Resume ATS score: %1 percent. ").arg(analysis.overallScore) + keywords;
}

} // namespace

QString rewriteOutcomeText(const ATSRewriteChanges& changes) {
    QString said = QStringLiteral("ATS version created.");
    if (changes.summaryReplaced)
        said += QStringLiteral(" The summary was replaced.");
    if (!changes.rewrittenRoles.isEmpty())
        said += QStringLiteral(" Rewrote the details of ") +
                changes.rewrittenRoles.join(QStringLiteral(", ")) + QStringLiteral(".");
    if (changes.appliedSkills > 0) {
        const QString skills = changes.appliedSkills == 1
                                   ? QStringLiteral("1 skill")
                                   : QStringLiteral("%1 skills").arg(changes.appliedSkills);
        said += changes.skillsSwitchedOn
                    ? QStringLiteral(" Skills switched on with ") + skills + QStringLiteral(".")
                    : QStringLiteral(" Applied ") + skills + QStringLiteral(".");
    }
    if (!changes.insertedKeywords.isEmpty())
        said += QStringLiteral(" Inserted keywords: ") + changes.insertedKeywords.join(QStringLiteral(", ")) +
                QStringLiteral(".");
    return said;
}

QString abbreviatedDateText(const QDate& date, const QLocale& locale) {
    // The locale's long form without the weekday, the month's name shortened.
    QString format = locale.dateFormat(QLocale::LongFormat);
    static const QRegularExpression weekday(QStringLiteral("^dddd[,\\s]*|[,\\s]*dddd"));
    format.remove(weekday);
    format.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    return locale.toString(date, format.trimmed());
}

ATSVersionSection::ATSVersionSection(ResumePtr resume, Services& services, QWidget* parent)
    : ATSVersionSection(std::move(resume), services.aiServices(), services.appearance(), parent) {}

ATSVersionSection::ATSVersionSection(ResumePtr resume, AIServices ai, Appearance& appearance, QWidget* parent)
    : QWidget(parent)
    , m_resume(std::move(resume))
    , m_ai(ai)
    , m_appearance(&appearance)
    , m_atsSession(ats_prompt::rewriteSystemPrompt, ai)
    , m_atsAnalysisSession(ats_prompt::analyzerSystemPrompt, ai) {
    setObjectName(QStringLiteral("atsVersionSection"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 6, 0, 6);
    outer->setSpacing(14);

    m_toggle = new ATSSwitch(QStringLiteral("Create ATS-Optimized Version"), appearance, this);
    m_toggle->setObjectName(QStringLiteral("includeATSVersionToggle"));
    m_toggle->setAccessibleName(QStringLiteral("Create ATS-Optimized Version"));
    m_toggle->setFont(systemFont(17));
    bindField(m_toggle, m_resume, Resume::IncludeATSVersion);
    outer->addWidget(m_toggle);

    m_body = new QWidget(this);
    m_bodyLayout = new QVBoxLayout(m_body);
    m_bodyLayout->setContentsMargins(0, 0, 0, 0);
    m_bodyLayout->setSpacing(14);
    outer->addWidget(m_body);

    m_divider = new QWidget(m_body);
    m_divider->setFixedHeight(1);
    m_divider->setAutoFillBackground(true);
    m_bodyLayout->addWidget(m_divider);

    auto* analyze = new AnalyzeButton(appearance, m_body);
    m_analyzeButton = analyze;
    m_analyzeButton->setObjectName(QStringLiteral("analyzeATSButton"));
    m_analyzeButton->setAccessibleDescription(
        QStringLiteral("Analyzes the current resume against the job posting"));
    auto* analyzeRow = new QHBoxLayout(m_analyzeButton);
    analyzeRow->setContentsMargins(12, 10, 12, 10);
    analyzeRow->setSpacing(8);
    m_analyzeIcon = new QLabel(m_analyzeButton);
    m_analyzeIcon->setFixedSize(18, 18);
    m_analyzeTitle = new QLabel(m_analyzeButton);
    m_analyzeTitle->setFont(systemFont(subheadlinePoints, QFont::DemiBold));
    m_progress = new ActivityIndicator(appearance, m_analyzeButton);
    for (QWidget* part :
         {static_cast<QWidget*>(m_analyzeIcon), static_cast<QWidget*>(m_analyzeTitle), m_progress})
        part->setAttribute(Qt::WA_TransparentForMouseEvents);
    analyzeRow->addWidget(m_analyzeIcon, 0, Qt::AlignVCenter);
    analyzeRow->addWidget(m_analyzeTitle, 0, Qt::AlignVCenter);
    analyzeRow->addStretch(1);
    analyzeRow->addWidget(m_progress, 0, Qt::AlignVCenter);
    m_analyzeButton->setMinimumHeight(m_analyzeTitle->sizeHint().height() + 20);
    analyze->setReadinessChanged([this] { applyAnalyzeColors(); });
    m_bodyLayout->addWidget(m_analyzeButton);

    m_reanalyzeHint = captionLabel(m_body, QStringLiteral("atsReanalyzeHint"));
    m_reanalyzeHint->setText(QStringLiteral("Update the resume or job posting to re-analyze."));
    m_reanalyzeHint->setContentsMargins(4, 0, 0, 0);
    m_bodyLayout->addWidget(m_reanalyzeHint);

    m_analysisError = captionLabel(m_body, QStringLiteral("atsAnalysisErrorLabel"));
    m_analysisError->setContentsMargins(4, 0, 0, 0);
    m_bodyLayout->addWidget(m_analysisError);
    // The analysis card is inserted here (index 4) while a result is present.

    m_postingHeading = new QLabel(QStringLiteral("Job Posting"), m_body);
    m_postingHeading->setFont(systemFont(subheadlinePoints, QFont::DemiBold));
    markAsAccessibleHeading(m_postingHeading);
    m_bodyLayout->addWidget(m_postingHeading);

    m_postingEditor = new EditorTextArea(*m_appearance, postingMinimumHeight, m_body);
    m_postingEditor->setObjectName(QStringLiteral("atsJobPostingEditor"));
    m_postingEditor->setAccessibleName(QStringLiteral("Job posting"));
    m_postingEditor->setAccessibleDescription(
        QStringLiteral("Paste the job description used for ATS optimization"));
    bindField(m_postingEditor, m_resume, Resume::AtsJobPosting);
    m_bodyLayout->addWidget(m_postingEditor);

    auto* generateRow = new QHBoxLayout;
    m_generateButton = new GlassCapsuleButton(appearance, m_body);
    m_generateButton->setObjectName(QStringLiteral("generateATSButton"));
    m_generateButton->setAccessibleDescription(QStringLiteral("Generates ATS-optimized resume content"));
    m_generateLabel = new SparkleButtonLabel(appearance);
    m_generateButton->setLabelWidget(m_generateLabel);
    generateRow->addWidget(m_generateButton);
    generateRow->addStretch(1);
    m_bodyLayout->addLayout(generateRow);

    m_note = captionLabel(m_body, QStringLiteral("atsRewriteNote"));
    m_note->setText(QStringLiteral("Conservative rewrite: only supported keywords should be added, and "
                                   "unsupported terms should be omitted."));
    m_bodyLayout->addWidget(m_note);
    // The note says how the button rewrites: heard with the button, not as a text of its own.
    m_generateButton->setAccessibleDescription(
        describedWithValue(m_generateButton->accessibleDescription(), m_note->text()));
    hideFromAccessibility(m_note);

    m_rewriteError = captionLabel(m_body, QStringLiteral("atsRewriteErrorLabel"));
    m_rewriteError->setContentsMargins(0, 4, 0, 0);
    m_bodyLayout->addWidget(m_rewriteError);
    // The inserted-keywords card goes here while the résumé holds inserted keywords.

    m_lastGenerated = new ATSValueLabel(m_body);
    m_lastGenerated->setObjectName(QStringLiteral("atsLastGeneratedLabel"));
    m_lastGenerated->setAccessibleName(QStringLiteral("ATS version last generated"));
    m_lastGenerated->setFont(systemFont(captionPoints));
    m_lastGenerated->setContentsMargins(0, 4, 0, 0);
    m_lastGenerated->hide();
    m_bodyLayout->addWidget(m_lastGenerated);
    m_lastGeneratedTransition = new OpacityTransition(m_lastGenerated, appearance);
    m_generateTransition = new OpacityTransition(m_generateLabel, appearance);

    connect(m_analyzeButton, &QPushButton::clicked, this, &ATSVersionSection::analyzeResumeATS);
    connect(m_generateButton, &QPushButton::clicked, this, &ATSVersionSection::generateATSVersion);
    connect(this, &ATSVersionSection::stateChanged, this, &ATSVersionSection::refresh);
    connect(m_appearance, &Appearance::changed, this, &ATSVersionSection::applyScheme);
    if (m_ai.settings) {
        connect(m_ai.settings, &Settings::changed, this, [this](const QString& key) {
            if (key == Settings::openAIAPIKeyKey)
                refresh();
        });
    }
    watchResume();
    applyScheme();
}

ATSVersionSection::~ATSVersionSection() = default;

QString ATSVersionSection::atsInputHash() const {
    return quillora::atsInputHash(*m_resume);
}

bool ATSVersionSection::canAnalyzeATS() const {
    if (m_lastATSInputHash && *m_lastATSInputHash == atsInputHash())
        return false;
    return !m_resume->atsJobPosting().trimmed().isEmpty();
}

void ATSVersionSection::analyzeResumeATS() {
    const QString inputHash = atsInputHash();
    if (m_lastATSInputHash && *m_lastATSInputHash == inputHash) {
        logLine(QStringLiteral("ℹ️ ATS analysis skipped — content unchanged"));
        return;
    }
    if (m_isAnalyzingResumeATS)
        return;
    m_isAnalyzingResumeATS = true;
    m_atsAnalysis.reset();
    m_atsAnalysisError.reset();
    emit stateChanged();
    runATSAnalysis(atsAnalysisPrompt(*m_resume), inputHash);
}

void ATSVersionSection::runATSAnalysis(const QString& prompt, const QString& inputHash) {
    m_atsAnalysisSession.generate<ATSAnalysis>(
        prompt, ResultReceiver(this, m_resume, QStringLiteral("ATS analysis")),
        [this, inputHash](Result<ATSAnalysis> result) {
            if (result) {
                m_atsAnalysis = std::move(result).value();
                m_lastATSInputHash = inputHash;
            } else {
                m_atsAnalysisError = atsFailureMessage(result.errorInfo());
                logLine(QStringLiteral("❌ ATS analysis failed: ") + result.error());
            }
            emit stateChanged();
            // The busy flag drops one turn later, once the result or the failure shows; the
            // outcome is said where the focus has gone then.
            QTimer::singleShot(0, this, [this] {
                m_isAnalyzingResumeATS = false;
                emit stateChanged();
                // A result is read from its first text, the score, on through the card with Tab.
                QWidget* score =
                    m_analysisCard != nullptr
                        ? m_analysisCard->findChild<QWidget*>(QStringLiteral("overallATSScoreLabel"))
                        : nullptr;
                announceOutcome(m_analyzeButton,
                                m_atsAnalysis ? analysisOutcomeText(*m_atsAnalysis)
                                              : m_atsAnalysisError.value_or(QString()),
                                m_atsAnalysis ? score : nullptr);
            });
        });
}

void ATSVersionSection::generateATSVersion() {
    if (m_isGeneratingATSVersion)
        return;
    m_isGeneratingATSVersion = true;
    m_atsRewriteError.reset();
    emit stateChanged();
    runATSRewrite(makeATSRewriteRequest(*m_resume));
}

void ATSVersionSection::runATSRewrite(const ATSRewriteRequest& request) {
    // The rewrite is the résumé's: it is applied even when the screen has closed meanwhile (the
    // context's autosave stores it); only the busy flag and the error belong to the screen.
    const ResumePtr resume = m_resume;
    const QPointer<ATSVersionSection> screen(this);
    m_atsSession.generate<ATSRewritePayload>(
        request.prompt, ResultReceiver::forResume(m_resume, this, QStringLiteral("ATS rewrite")),
        [resume, screen, request](Result<ATSRewritePayload> result) {
            ATSRewriteChanges changes;
            if (result)
                changes = applyATSRewrite(*resume, result.value(), request.summaryAtRequest,
                                          request.detailsAtRequest);
            else
                logLine(QStringLiteral("❌ ATS generation failed: ") + result.error());
            if (!screen)
                return;
            if (!result)
                screen->m_atsRewriteError = atsFailureMessage(result.errorInfo());
            screen->m_isGeneratingATSVersion = false;
            emit screen->stateChanged();
            // What the rewrite changed, or why it failed.
            announceOutcome(screen->m_generateButton,
                            screen->m_atsRewriteError.value_or(rewriteOutcomeText(changes)));
        });
}

void ATSVersionSection::watchResume() {
    connect(m_resume.get(), &Resume::changed, this, [this](Resume::Property property) {
        if (property == Resume::ExperienceItems || property == Resume::EducationItems)
            watchEntries();
        if (property == Resume::AtsInsertedKeywords)
            rebuildKeywordsCard();
        refresh();
    });
    watchEntries();
    rebuildKeywordsCard();
}

void ATSVersionSection::watchEntries() {
    for (const QMetaObject::Connection& connection : std::as_const(m_entryConnections))
        disconnect(connection);
    m_entryConnections.clear();
    for (const ExperiencePtr& entry : m_resume->experienceItems())
        m_entryConnections.append(
            connect(entry.get(), &Record::propertyChanged, this, &ATSVersionSection::refresh));
    for (const EducationPtr& entry : m_resume->educationItems())
        m_entryConnections.append(
            connect(entry.get(), &Record::propertyChanged, this, &ATSVersionSection::refresh));
}

void ATSVersionSection::refresh() {
    const bool ready = canAnalyzeATS();
    m_body->setVisible(m_resume->includeATSVersion());

    const QString analyzeTitle = m_isAnalyzingResumeATS ? QStringLiteral("Analyzing…")
                                 : ready                ? QStringLiteral("Analyze Resume ATS")
                                                        : QStringLiteral("Resume Already Analyzed");
    m_analyzeTitle->setText(analyzeTitle);
    m_analyzeButton->setAccessibleName(analyzeTitle);
    m_progress->setVisible(m_isAnalyzingResumeATS);
    setEnabledKeepingFocus(m_analyzeButton, !m_isAnalyzingResumeATS && ready);
    // Analysed: the button has nothing left to do until the posting or the résumé changes, so
    // the focus goes on to the posting.
    if (!m_isAnalyzingResumeATS && !ready)
        passParkedFocus(m_analyzeButton, m_postingEditor);
    static_cast<AnalyzeButton*>(m_analyzeButton)->setReady(ready);
    applyAnalyzeColors();

    m_reanalyzeHint->setVisible(!ready && m_atsAnalysis.has_value());
    m_analysisError->setText(m_atsAnalysisError.value_or(QString()));
    m_analysisError->setVisible(m_atsAnalysisError.has_value());
    if ((m_analysisCard != nullptr) != m_atsAnalysis.has_value() ||
        (m_analysisCard && !(m_analysisCard->analysis() == *m_atsAnalysis)))
        rebuildAnalysisCard();

    const QString generateTitle = m_isGeneratingATSVersion ? QStringLiteral("Creating…")
                                  : (m_ai.settings && !m_ai.settings->openAIAPIKey().trimmed().isEmpty())
                                      ? QStringLiteral("ATS with OpenAI")
                                      : QStringLiteral("ATS with Apple AI");
    if (m_generateLabel->title() != generateTitle) {
        m_generateLabel->setTitle(generateTitle);
        // The capsule's size follows its label.
        m_generateButton->updateGeometry();
    }
    m_generateLabel->setBusy(m_isGeneratingATSVersion);
    if (m_generatingShown != m_isGeneratingATSVersion) {
        m_generatingShown = m_isGeneratingATSVersion;
        m_generateTransition->fadeInContent();
    }
    m_generateButton->setAccessibleName(generateTitle);
    setEnabledKeepingFocus(m_generateButton,
                           !m_isGeneratingATSVersion && !m_resume->atsJobPosting().trimmed().isEmpty());
    if (!m_isGeneratingATSVersion)
        passParkedFocus(m_generateButton, m_postingEditor);

    m_rewriteError->setText(m_atsRewriteError.value_or(QString()));
    m_rewriteError->setVisible(m_atsRewriteError.has_value());

    const std::optional<QDateTime> generated = m_resume->atsLastGenerated();
    if (generated) {
        const QLocale locale;
        const QDateTime local = generated->toLocalTime();
        QString timeFormat = locale.timeFormat(QLocale::ShortFormat);
        timeFormat.remove(QStringLiteral(":ss"));
        const QString time = locale.toString(local.time(), timeFormat);
        // The locale's own joining of a complete date and a short time ("… at …", "… um …").
        QString dateTimeFormat = locale.dateTimeFormat(QLocale::LongFormat);
        dateTimeFormat.remove(QStringLiteral(":ss"))
            .remove(QRegularExpression(QStringLiteral("\\s*\\bt+\\b")));
        m_lastGenerated->setText(QStringLiteral("ATS optimized ") +
                                 abbreviatedDateText(local.date(), locale) + QStringLiteral(", ") + time);
        static_cast<ATSValueLabel*>(m_lastGenerated)
            ->setAccessibilityValue(locale.toString(local, dateTimeFormat.trimmed()));
    }
    m_lastGeneratedTransition->setShown(generated.has_value());
}

const QVariantAnimation& ATSVersionSection::analyzeFade() const {
    return static_cast<const AnalyzeButton*>(m_analyzeButton)->fade();
}

void ATSVersionSection::applyAnalyzeColors() {
    // The title and the icon fade along with the panel's fill and outline.
    const bool light = m_appearance->isLight();
    const qreal readiness = static_cast<const AnalyzeButton*>(m_analyzeButton)->readiness();
    const auto between = [readiness](const QColor& resting, const QColor& ready) {
        const auto mix = [readiness](float a, float b) { return a + (b - a) * float(readiness); };
        return QColor::fromRgbF(mix(resting.redF(), ready.redF()), mix(resting.greenF(), ready.greenF()),
                                mix(resting.blueF(), ready.blueF()), mix(resting.alphaF(), ready.alphaF()));
    };
    const QColor secondary = schemeColors::secondaryLabel(light);
    const QColor title = between(secondary, schemeColors::primaryLabel(light));
    const QColor icon = between(secondary, accentColor(light));
    if (title != m_analyzeTitleColor) {
        m_analyzeTitleColor = title;
        m_analyzeTitle->setStyleSheet(colorRule(title));
    }
    if (icon != m_analyzeIconColor) {
        m_analyzeIconColor = icon;
        m_analyzeIcon->setPixmap(
            symbolPixmap(QStringLiteral("magnifyingglass"), icon, 18, devicePixelRatioF()));
    }
}

void ATSVersionSection::rebuildAnalysisCard() {
    const int focused = focusedStop(m_analysisCard);
    delete m_analysisCard;
    m_analysisCard = nullptr;
    if (m_atsAnalysis) {
        m_analysisCard = new ATSAnalysisSummaryCard(*m_atsAnalysis, m_appearance->isLight(), m_body);
        m_bodyLayout->insertWidget(m_bodyLayout->indexOf(m_analysisError) + 1, m_analysisCard);
    }
    refocusStop(m_analysisCard, focused, m_analyzeButton);
}

void ATSVersionSection::rebuildKeywordsCard() {
    const int focused = focusedStop(m_keywordsCard);
    delete m_keywordsCard;
    m_keywordsCard = nullptr;
    const QStringList keywords = m_resume->atsInsertedKeywords().value_or(QStringList());
    if (!keywords.isEmpty()) {
        m_keywordsCard = new ATSInsertedKeywordsCard(keywords, m_appearance->isLight(), m_body);
        m_bodyLayout->insertWidget(m_bodyLayout->indexOf(m_rewriteError) + 1, m_keywordsCard);
    }
    refocusStop(m_keywordsCard, focused, m_generateButton);
}

void ATSVersionSection::applyScheme() {
    const bool light = m_appearance->isLight();
    const QColor ink = schemeColors::ink(light);
    const QColor secondary = schemeColors::secondaryLabel(light);
    QPalette dividerPalette = m_divider->palette();
    dividerPalette.setColor(QPalette::Window, withAlpha(schemeColors::secondaryLabel(light), 0.4));
    m_divider->setPalette(dividerPalette);
    m_postingHeading->setStyleSheet(colorRule(ink));
    m_reanalyzeHint->setStyleSheet(colorRule(secondary));
    m_note->setStyleSheet(colorRule(secondary));
    m_lastGenerated->setStyleSheet(colorRule(secondary));
    m_analysisError->setStyleSheet(colorRule(schemeColors::errorText(light)));
    m_rewriteError->setStyleSheet(colorRule(schemeColors::errorText(light)));
    rebuildAnalysisCard();
    rebuildKeywordsCard();
    m_toggle->update();
    refresh();
}

EditorSectionCard* makeATSVersionCard(const ResumePtr& resume, Services& services) {
    Appearance& appearance = services.appearance();
    auto* section = new ATSVersionSection(resume, services.aiServices(), appearance);
    auto* card = new EditorSectionCard(appearance, QStringLiteral("checklist"), QStringLiteral("ATS Version"),
                                       QStringLiteral("Optimize your résumé for applicant tracking systems"),
                                       cardInk(appearance.isLight()), section);
    card->setObjectName(QStringLiteral("atsVersionCard"));
    QObject::connect(&appearance, &Appearance::changed, card,
                     [card, &appearance] { card->setAccent(cardInk(appearance.isLight())); });
    return card;
}

} // namespace quillora
