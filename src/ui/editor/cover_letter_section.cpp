#include "editor/cover_letter_section.h"

#include "ai/openai_client.h"
#include "app/services.h"
#include "controls/accessibility_traits.h"
#include "controls/editor_section_card.h"
#include "controls/field_binding.h"
#include "controls/glass_capsule_button.h"
#include "controls/keep_focus.h"
#include "controls/opacity_transition.h"
#include "controls/outcome.h"
#include "controls/sparkle_button_label.h"
#include "controls/toggle_switch.h"
#include "editor/editor_ai.h"
#include "editor/editor_controls.h"
#include "editor/editor_text_area.h"
#include "editor/resume_save.h"
#include "platform/appearance.h"
#include "platform/log.h"
#include "platform/settings.h"
#include "theme/scheme_colors.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

namespace quillora {

namespace {

constexpr qreal captionPoints = 12;
constexpr qreal subheadlinePoints = 15;

QLabel* makeHeading(const QString& text, const QString& identifier, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(identifier);
    label->setTextFormat(Qt::PlainText);
    label->setFont(systemFont(subheadlinePoints, QFont::DemiBold));
    label->setAccessibleName(text);
    markAsAccessibleHeading(label);
    return label;
}

} // namespace

CoverLetterSection::CoverLetterSection(ResumePtr resume, AIServices ai, Appearance& appearance,
                                       std::function<void()> save, QWidget* parent)
    : QWidget(parent)
    , m_resume(std::move(resume))
    , m_ai(ai)
    , m_appearance(&appearance)
    , m_save(std::move(save))
    , m_coverLetterSession(editorCoverLetterSystemPrompt, std::move(ai)) {
    setObjectName(QStringLiteral("coverLetterSection"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(12);

    m_toggle = new ToggleSwitch(QStringLiteral("Include Cover Letter"), appearance, this);
    m_toggle->setObjectName(QStringLiteral("includeCoverLetterToggle"));
    m_toggle->setFont(systemFont(17));
    bindField(m_toggle, m_resume, Resume::IncludeCoverLetter);
    outer->addWidget(m_toggle);

    m_body = new QWidget(this);
    auto* body = new QVBoxLayout(m_body);
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(12);
    outer->addWidget(m_body);

    auto* postingGroup = new QVBoxLayout;
    postingGroup->setSpacing(6);
    m_postingHeading =
        makeHeading(QStringLiteral("Job Posting"), QStringLiteral("coverLetterJobPostingHeading"), m_body);
    postingGroup->addWidget(m_postingHeading);
    m_posting = new EditorTextArea(appearance, 100, m_body);
    m_posting->setObjectName(QStringLiteral("coverLetterJobPostingEditor"));
    m_posting->setAccessibleName(QStringLiteral("Cover letter job posting"));
    bindField(m_posting, m_resume, Resume::CoverLetterJobPosting);
    postingGroup->addWidget(m_posting);
    body->addLayout(postingGroup);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->setContentsMargins(16, 0, 16, 0);
    m_generateButton = new GlassCapsuleButton(appearance, m_body);
    m_generateButton->setObjectName(QStringLiteral("generateCoverLetterFromEditorButton"));
    m_generateButton->setAccessibleDescription(
        QStringLiteral("Generates a cover letter from the job posting and resume"));
    m_generateLabel = new SparkleButtonLabel(appearance);
    m_generateButton->setLabelWidget(m_generateLabel);
    m_generateTransition = new OpacityTransition(m_generateLabel, appearance);
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_generateButton);
    body->addLayout(buttonRow);
    connect(m_generateButton, &QPushButton::clicked, this,
            &CoverLetterSection::generateCoverLetterFromEditor);

    m_errorLabel = new QLabel(m_body);
    m_errorLabel->setObjectName(QStringLiteral("coverLetterError"));
    m_errorLabel->setTextFormat(Qt::PlainText);
    m_errorLabel->setWordWrap(true);
    m_errorLabel->setFont(systemFont(captionPoints));
    m_errorLabel->setContentsMargins(4, 0, 0, 0);
    body->addWidget(m_errorLabel);

    auto* letterGroup = new QVBoxLayout;
    letterGroup->setSpacing(6);
    m_letterHeading =
        makeHeading(QStringLiteral("Cover Letter Text"), QStringLiteral("coverLetterTextHeading"), m_body);
    letterGroup->addWidget(m_letterHeading);
    m_letter = new EditorTextArea(appearance, 160, m_body);
    m_letter->setObjectName(QStringLiteral("coverLetterTextEditor"));
    // A screen reader says the field's role ("text") after its name: the name does not say it too.
    m_letter->setAccessibleName(QStringLiteral("Cover letter"));
    bindField(m_letter, m_resume, Resume::CoverLetterText);
    letterGroup->addWidget(m_letter);
    body->addLayout(letterGroup);

    connect(m_resume.get(), &Resume::changed, this, [this](Resume::Property property) {
        if (property == Resume::IncludeCoverLetter || property == Resume::CoverLetterJobPosting)
            refresh();
    });
    if (m_ai.settings) {
        connect(m_ai.settings, &Settings::changed, this, [this](const QString& key) {
            if (key == Settings::openAIAPIKeyKey)
                refresh();
        });
    }
    connect(m_appearance, &Appearance::changed, this, &CoverLetterSection::applyScheme);
    applyScheme();
    refresh();
}

CoverLetterSection::~CoverLetterSection() = default;

QString CoverLetterSection::generateButtonTitle(bool busy, bool hasOpenAIKey) {
    if (busy)
        return QStringLiteral("Analyzing experience…");
    return hasOpenAIKey ? QStringLiteral("Cover With OpenAI") : QStringLiteral("Cover With Apple AI");
}

bool CoverLetterSection::hasOpenAIKey() const {
    return m_ai.settings && OpenAIClient::storedAPIKey(*m_ai.settings).has_value();
}

void CoverLetterSection::generateCoverLetterFromEditor() {
    if (m_isGeneratingCoverLetter)
        return;
    m_coverLetterError.reset();
    setGenerating(true);
    const QString input = editorCoverLetterInput(*m_resume);
    m_resume->setCoverLetterAIContext(input);
    // The letter is the résumé's: it is stored and saved even when the editor has closed
    // meanwhile; only the busy state and the error belong to this card.
    const ResumePtr resume = m_resume;
    const QPointer<CoverLetterSection> screen(this);
    m_coverLetterSession.respondText(
        input, ResultReceiver::forResume(m_resume, this, QStringLiteral("Cover letter")),
        [resume, screen](Result<QString> answer) {
            if (answer) {
                resume->setCoverLetterText(answer.value());
                resume->setCoverLetterLastGenerated(QDateTime::currentDateTime());
                if (screen)
                    screen->m_save();
                else
                    saveResume(*resume);
            } else {
                logLine(QStringLiteral("❌ Cover letter generation failed: ") + answer.error());
            }
            if (!screen)
                return;
            if (!answer)
                screen->m_coverLetterError = editorAIErrorMessage(
                    answer.errorInfo(), QStringLiteral("Cover letter generation failed. Please try again."),
                    screen->hasOpenAIKey());
            screen->setGenerating(false);
            announceOutcome(screen->m_generateButton,
                            screen->m_coverLetterError.value_or(QStringLiteral("Cover letter written.")));
        });
}

void CoverLetterSection::setGenerating(bool generating) {
    const bool changed = generating != m_isGeneratingCoverLetter;
    m_isGeneratingCoverLetter = generating;
    refresh();
    // The button's new look (title, sparkle, enabled state) fades in.
    if (changed)
        m_generateTransition->fadeInContent();
    emit generatingChanged(generating);
}

void CoverLetterSection::refresh() {
    m_body->setVisible(m_resume->includeCoverLetter());
    m_generateLabel->setTitle(generateButtonTitle(m_isGeneratingCoverLetter, hasOpenAIKey()));
    m_generateLabel->setBusy(m_isGeneratingCoverLetter);
    m_generateButton->setAccessibleName(m_generateLabel->title());
    setEnabledKeepingFocus(m_generateButton, !m_isGeneratingCoverLetter &&
                                                 !m_resume->coverLetterJobPosting().trimmed().isEmpty());
    // The posting was emptied while the letter was written: the button has nothing to work on.
    if (!m_isGeneratingCoverLetter)
        passParkedFocus(m_generateButton, m_posting);
    m_errorLabel->setText(m_coverLetterError.value_or(QString()));
    m_errorLabel->setVisible(m_coverLetterError.has_value());
    m_generateButton->updateGeometry();
}

void CoverLetterSection::applyScheme() {
    const bool light = m_appearance->isLight();
    m_errorLabel->setStyleSheet(QStringLiteral("color: %1;").arg(schemeColors::errorText(light).name()));
    for (QLabel* heading : {m_postingHeading, m_letterHeading}) {
        QPalette pal = heading->palette();
        pal.setColor(QPalette::WindowText, cardInk(light));
        heading->setPalette(pal);
    }
    m_toggle->update();
}

EditorSectionCard* makeCoverLetterCard(const ResumePtr& resume, Services& services,
                                       std::function<void()> save) {
    Appearance& appearance = services.appearance();
    auto* section = new CoverLetterSection(resume, services.aiServices(), appearance, std::move(save));
    auto* card = new EditorSectionCard(
        appearance, QStringLiteral("envelope.fill"), QStringLiteral("Cover Letter"),
        QStringLiteral("Generate and edit a tailored letter"), cardInk(appearance.isLight()), section);
    card->setObjectName(QStringLiteral("coverLetterCard"));
    QObject::connect(&appearance, &Appearance::changed, card,
                     [card, &appearance] { card->setAccent(cardInk(appearance.isLight())); });
    return card;
}

} // namespace quillora
