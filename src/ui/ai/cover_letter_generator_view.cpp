#include "ai/cover_letter_generator_view.h"

#include "ai/cover_letter_generator.h"
#include "app/services.h"
#include "controls/accessibility_traits.h"
#include "controls/paragraph_directions.h"
#include "controls/progress_spinner.h"
#include "platform/appearance.h"
#include "platform/log.h"
#include "theme/hex_color.h"
#include "theme/scheme_colors.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace quillora {

namespace {

QLabel* makeHeading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(systemFont(17, QFont::DemiBold));
    label->setAccessibleName(text);
    markAsAccessibleHeading(label);
    return label;
}

QPlainTextEdit* makeTextArea(int minHeight, const QString& identifier, const QString& label,
                             QWidget* parent) {
    auto* area = new QPlainTextEdit(parent);
    followParagraphDirections(*area);
    area->setObjectName(identifier);
    area->setAccessibleName(label);
    area->setMinimumHeight(minHeight);
    area->setFont(systemFont(15));
    area->setFrameShape(QFrame::NoFrame);
    return area;
}

} // namespace

CoverLetterGeneratorView::CoverLetterGeneratorView(ResumePtr resume, Services& services, QWidget* parent)
    : CoverLetterGeneratorView(std::move(resume), services.aiServices(), services.appearance(), parent) {}

CoverLetterGeneratorView::CoverLetterGeneratorView(ResumePtr resume, AIServices ai, Appearance& appearance,
                                                   QWidget* parent)
    : QWidget(parent)
    , m_resume(std::move(resume))
    , m_appearance(&appearance)
    , m_session(cover_letter_generator::systemPrompt, std::move(ai))
    , m_resumeText(cover_letter_generator::resumeText(*m_resume)) {
    setObjectName(QStringLiteral("coverLetterGeneratorView"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("coverLetterGeneratorScrollArea"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    outer->addWidget(scroll);

    // One centred column with 24 points between its elements: the headings, the button and
    // the progress indicator stand centred, the text areas and the divider take the width.
    auto* page = new QWidget;
    auto* stack = new QVBoxLayout(page);
    stack->setContentsMargins(16, 16, 16, 16);
    stack->setSpacing(elementSpacing);

    auto addGroup = [&](const QString& heading, QWidget* content) {
        QLabel* label = makeHeading(heading, page);
        m_headings << label;
        stack->addWidget(label, 0, Qt::AlignHCenter);
        stack->addWidget(content);
    };
    m_jobDescription = makeTextArea(140, QStringLiteral("coverLetterJobDescriptionEditor"),
                                    QStringLiteral("Job description"), page);
    m_jobDescription->setAccessibleDescription(
        QStringLiteral("Enter the job description for the cover letter"));
    m_jobDescription->setPlainText(cover_letter_generator::sampleJobDescription);
    addGroup(QStringLiteral("Job Description"), m_jobDescription);

    m_resumePreview =
        makeTextArea(140, QStringLiteral("coverLetterResumePreview"), QStringLiteral("Resume preview"), page);
    m_resumePreview->setAccessibleDescription(QStringLiteral("Generated from your current resume data"));
    m_resumePreview->setPlainText(m_resumeText);
    m_resumePreview->setReadOnly(true);
    m_resumePreview->setEnabled(false);
    addGroup(QStringLiteral("Résumé (generated from your data)"), m_resumePreview);

    m_generateButton = new QPushButton(QStringLiteral("Generate Cover Letter"), page);
    m_generateButton->setObjectName(QStringLiteral("generateCoverLetterButton"));
    m_generateButton->setAccessibleName(QStringLiteral("Generate Cover Letter"));
    m_generateButton->setAccessibleDescription(QStringLiteral("Generates a tailored cover letter"));
    m_generateButton->setDefault(true);
    m_generateButton->setCursor(Qt::PointingHandCursor);
    m_generateButton->setMinimumHeight(34);
    stack->addWidget(m_generateButton, 0, Qt::AlignHCenter);
    connect(m_generateButton, &QPushButton::clicked, this, &CoverLetterGeneratorView::generateCoverLetter);

    m_progress = new ProgressSpinner(24, page);
    m_progress->setObjectName(QStringLiteral("coverLetterProgress"));
    m_progress->setAccessibleName(QStringLiteral("Generating cover letter"));
    stack->addWidget(m_progress, 0, Qt::AlignHCenter);

    m_letterGroup = new QWidget(page);
    auto* letterLayout = new QVBoxLayout(m_letterGroup);
    letterLayout->setContentsMargins(0, 0, 0, 0);
    letterLayout->setSpacing(elementSpacing);
    auto* divider = new QFrame(m_letterGroup);
    divider->setFrameShape(QFrame::HLine);
    divider->setObjectName(QStringLiteral("generatedCoverLetterDivider"));
    letterLayout->addWidget(divider);
    QLabel* letterHeading = makeHeading(QStringLiteral("Generated Cover Letter"), m_letterGroup);
    m_headings << letterHeading;
    letterLayout->addWidget(letterHeading, 0, Qt::AlignHCenter);
    m_letter = makeTextArea(260, QStringLiteral("generatedCoverLetterEditor"),
                            QStringLiteral("Generated cover letter"), m_letterGroup);
    letterLayout->addWidget(m_letter);
    stack->addWidget(m_letterGroup);
    stack->addStretch(1);
    scroll->setWidget(page);

    connect(m_appearance, &Appearance::changed, this, &CoverLetterGeneratorView::applyScheme);
    applyScheme();
    refresh();
}

CoverLetterGeneratorView::~CoverLetterGeneratorView() = default;

QString CoverLetterGeneratorView::jobDescription() const {
    return m_jobDescription->toPlainText();
}

void CoverLetterGeneratorView::setJobDescription(const QString& text) {
    m_jobDescription->setPlainText(text);
}

void CoverLetterGeneratorView::generateCoverLetter() {
    logLine(QStringLiteral("🚀 GENERATE COVER LETTER BUTTON TAPPED"));
    const quint64 request = ++m_latestRequest;
    m_isLoading = true;
    refresh();
    emit loadingChanged(true);
    const QString prompt = cover_letter_generator::prompt(jobDescription(), m_resumeText, *m_resume);
    logLine(cover_letter_generator::debugBanner(QStringLiteral("RUNTIME PROMPT SENT TO MODEL"), prompt));
    m_session.generate<CoverLetter>(
        prompt, ResultReceiver(this, m_resume, QStringLiteral("Cover letter")),
        [this, request](Result<CoverLetter> letter) {
            // Only the latest click's answer may show: an older one ending later would replace
            // the newer letter (or clear it).
            if (request != m_latestRequest) {
                logLine(QStringLiteral("⏭️ Cover letter result dropped: a newer request was made"));
                return;
            }
            if (letter) {
                logLine(
                    cover_letter_generator::debugBanner(QStringLiteral("RAW MODEL OUTPUT"), letter->text));
                logLine(cover_letter_generator::hasForbiddenOpening(letter->text)
                            ? QStringLiteral("🚨 VALIDATION FAILURE: Forbidden opening detected")
                            : QStringLiteral("✅ Validation passed: opening looks clean"));
                m_coverLetter = letter.value();
            } else {
                m_coverLetter.reset();
                logLine(QStringLiteral("❌ Cover letter generation failed: ") + letter.error());
            }
            m_isLoading = false;
            refresh();
            emit loadingChanged(false);
        });
}

void CoverLetterGeneratorView::refresh() {
    logLine(QStringLiteral("🧠 CoverLetterGeneratorView BODY RENDERED"));
    m_progress->setVisible(m_isLoading);
    m_letterGroup->setVisible(m_coverLetter.has_value());
    if (m_coverLetter)
        m_letter->setPlainText(m_coverLetter->text);
}

void CoverLetterGeneratorView::applyScheme() {
    const bool light = m_appearance->isLight();
    applySchemePalette(this, light);
    m_progress->setColor(accentColor(light));
    // The text areas read as fields on the sheet, with a square 1-point border in gray at 40 %;
    // the read-only résumé stays legible.
    const QString rule =
        QStringLiteral(
            "QPlainTextEdit { border: 1px solid rgba(128, 128, 128, 102); background: %1; color: %2; }"
            " QPlainTextEdit:disabled { color: %3; }")
            .arg(light ? QStringLiteral("#FFFFFF") : QStringLiteral("#1C1C1E"),
                 schemeColors::primaryLabel(light).name(QColor::HexArgb),
                 schemeColors::secondaryLabel(light).name(QColor::HexArgb));
    for (QPlainTextEdit* area : {m_jobDescription, m_resumePreview, m_letter})
        area->setStyleSheet(rule);
}

} // namespace quillora
