#include "ai/ai_refinable_text_editor.h"

#include "ai/resume_ai_view_model.h"
#include "app/services.h"
#include "controls/accessibility_traits.h"
#include "controls/glass_capsule_button.h"
#include "controls/keep_focus.h"
#include "controls/outcome.h"
#include "controls/paragraph_directions.h"
#include "controls/sparkle_button_label.h"
#include "platform/appearance.h"
#include "theme/responsive_environment.h"
#include "theme/scheme_colors.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QVBoxLayout>

#include <algorithm>

namespace quillora {

namespace {

// The text's height on the idiom the desktop uses (the pad's; a phone would take 200).
constexpr int editorHeight = 120;
constexpr int spacing = 12;
constexpr int verticalInset = 4;
constexpr int buttonInset = 16;

// The editor's outline, 0.8 points wide (a style sheet border comes only in whole pixels). It
// lies over the editor and follows its size; clicks go through to the text.
class EditorOutline final : public QWidget {
public:
    explicit EditorOutline(QWidget* editor)
        : QWidget(editor) {
        setObjectName(QStringLiteral("editorOutline"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        editor->installEventFilter(this);
        setGeometry(editor->rect());
    }

    void setColor(const QColor& color) {
        m_color = color;
        update();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parent() && event->type() == QEvent::Resize) {
            setGeometry(parentWidget()->rect());
            raise();
        }
        return false;
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(m_color, 0.8));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.4, 0.4, -0.4, -0.4), 12, 12);
    }

private:
    QColor m_color;
};

} // namespace

AIRefinableTextEditor::AIRefinableTextEditor(Services& services, SeamlessStarMode mode, QWidget* parent)
    : AIRefinableTextEditor(services.aiServices(), services.appearance(), mode, parent) {}

AIRefinableTextEditor::AIRefinableTextEditor(AIServices ai, Appearance& appearance, SeamlessStarMode mode,
                                             QWidget* parent)
    : QWidget(parent)
    , m_mode(mode)
    , m_viewModel(new ResumeAIViewModel(std::move(ai), this))
    , m_appearance(&appearance) {
    const bool summary = mode == SeamlessStarMode::summary;
    // As tall as its rows: extra height in the host goes elsewhere, not between the rows.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, verticalInset, 0, verticalInset);
    column->setSpacing(spacing);

    auto* backendRow = new QHBoxLayout;
    backendRow->setSpacing(6);
    m_backendCaption = new QLabel(QStringLiteral("AI Backend:"), this);
    m_backendName = new QLabel(this);
    m_backendName->setObjectName(summary ? QStringLiteral("summaryAIBackendLabel")
                                         : QStringLiteral("experienceAIBackendLabel"));
    // The backend is heard with the text it refines (its hint), not as texts of its own.
    hideFromAccessibility(m_backendCaption);
    hideFromAccessibility(m_backendName);
    backendRow->addWidget(m_backendCaption, 0, Qt::AlignVCenter);
    backendRow->addWidget(m_backendName, 0, Qt::AlignVCenter);
    backendRow->addStretch(1);
    column->addLayout(backendRow);

    m_textEdit = new QPlainTextEdit(this);
    followParagraphDirections(*m_textEdit);
    m_textEdit->setObjectName(summary ? QStringLiteral("summaryAITextEditor")
                                      : QStringLiteral("experienceAITextEditor"));
    m_textEdit->setAccessibleName(summary ? QStringLiteral("Summary") : QStringLiteral("Experience details"));
    m_textEdit->setFixedHeight(editorHeight);
    m_textEdit->setFrameShape(QFrame::NoFrame);
    m_textEdit->setTabChangesFocus(true);
    m_outline = new EditorOutline(m_textEdit);
    column->addWidget(m_textEdit);

    m_message = new QLabel(this);
    m_message->setObjectName(summary ? QStringLiteral("summaryAIMessage")
                                     : QStringLiteral("experienceAIMessage"));
    m_message->setWordWrap(true);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(m_message);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->setContentsMargins(buttonInset, 0, buttonInset, 0);
    m_button = new GlassCapsuleButton(appearance, this);
    m_button->setObjectName(summary ? QStringLiteral("refineSummaryButton")
                                    : QStringLiteral("refineExperienceButton"));
    m_button->setAccessibleDescription(QStringLiteral("Refines the current text using AI"));
    m_buttonLabel = new SparkleButtonLabel(appearance);
    m_button->setLabelWidget(m_buttonLabel);
    buttonRow->addWidget(m_button);
    buttonRow->addStretch(1);
    column->addLayout(buttonRow);

    connect(m_textEdit, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_loading)
            emit textEdited(m_textEdit->toPlainText());
    });
    connect(m_button, &QPushButton::clicked, this, &AIRefinableTextEditor::refineButtonAction);
    connect(m_viewModel, &ResumeAIViewModel::backendChanged, this, &AIRefinableTextEditor::updateBackend);
    connect(m_viewModel, &ResumeAIViewModel::errorMessageChanged, this,
            &AIRefinableTextEditor::updateMessage);
    connect(m_viewModel, &ResumeAIViewModel::busyChanged, this, &AIRefinableTextEditor::updateBusy);
    connect(m_appearance, &Appearance::changed, this, &AIRefinableTextEditor::applyScheme);

    updateBackend();
    updateMessage();
    updateBusy();
    applyFonts();
    applyScheme();
}

AIRefinableTextEditor::~AIRefinableTextEditor() = default;

QString AIRefinableTextEditor::text() const {
    return m_textEdit->toPlainText();
}

void AIRefinableTextEditor::setText(const QString& text) {
    if (text == m_textEdit->toPlainText())
        return;
    m_loading = true;
    m_textEdit->setPlainText(text);
    m_loading = false;
}

void AIRefinableTextEditor::setSummaryContextProvider(ContextProvider provider) {
    m_summaryContext = std::move(provider);
}

void AIRefinableTextEditor::setResumeContextProvider(ContextProvider provider) {
    m_resumeContext = std::move(provider);
}

void AIRefinableTextEditor::setResume(const std::shared_ptr<const Record>& resume) {
    m_viewModel->setResume(resume);
}

void AIRefinableTextEditor::refineButtonAction() {
    const std::optional<QString> summaryContext = m_summaryContext ? m_summaryContext() : std::nullopt;
    const std::optional<QString> resumeContext = m_resumeContext ? m_resumeContext() : std::nullopt;
    const QString sent = text();
    // The view model is this widget's child: once the widget is gone nothing arrives here.
    m_viewModel->refine(sent, summaryContext, resumeContext, m_mode, [this, sent](const QString& produced) {
        applyRefinedText(produced);
        // What is said is what the screen shows happened: the message when there is one (the
        // original text returned, a failure), and an answer that changed nothing as unchanged.
        if (const std::optional<QString> message = m_viewModel->errorMessage())
            announceOutcome(m_button, *message);
        else if (!produced.isEmpty())
            announceOutcome(m_button, m_textEdit->accessibleName() + (produced.trimmed() == sent.trimmed()
                                                                          ? QStringLiteral(" unchanged.")
                                                                          : QStringLiteral(" rewritten.")));
    });
}

void AIRefinableTextEditor::applyRefinedText(const QString& refined) {
    if (refined.isEmpty())
        return;
    // One undoable edit, so the user can take the rewrite back.
    QTextCursor cursor(m_textEdit->document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(refined);
    cursor.endEditBlock();
}

void AIRefinableTextEditor::updateBackend() {
    const AIBackend backend = m_viewModel->backend();
    switch (backend) {
    case AIBackend::openAI:
        m_backendName->setText(QStringLiteral("OpenAI"));
        break;
    case AIBackend::appleOnDevice:
        m_backendName->setText(QStringLiteral("Apple On-Device"));
        break;
    case AIBackend::unavailable:
        m_backendName->setText(QStringLiteral("None available"));
        break;
    }
    const QString title = backend == AIBackend::openAI ? QStringLiteral("STAR with OpenAI")
                                                       : QStringLiteral("STAR with Apple AI");
    m_buttonLabel->setTitle(title);
    m_button->setAccessibleName(title);
    m_textEdit->setAccessibleDescription(
        describedWithValue(QStringLiteral("Enter text and optionally refine it with AI"),
                           m_backendCaption->text() + QLatin1Char(' ') + m_backendName->text()));
    applyScheme();
}

void AIRefinableTextEditor::updateMessage() {
    const std::optional<QString> message = m_viewModel->errorMessage();
    m_message->setText(message.value_or(QString()));
    m_message->setVisible(message.has_value());
}

void AIRefinableTextEditor::setMinimumHostHeight(int height) {
    m_minimumHostHeight = height;
    updateGeometry();
}

QSize AIRefinableTextEditor::sizeHint() const {
    QSize size = QWidget::sizeHint();
    size.setHeight(std::max(size.height(), m_minimumHostHeight));
    return size;
}

QSize AIRefinableTextEditor::minimumSizeHint() const {
    QSize size = QWidget::minimumSizeHint();
    size.setHeight(std::max(size.height(), m_minimumHostHeight));
    return size;
}

void AIRefinableTextEditor::updateBusy() {
    const bool busy = m_viewModel->isBusy();
    m_buttonLabel->setBusy(busy);
    setEnabledKeepingFocus(m_button, !busy);
}

bool AIRefinableTextEditor::event(QEvent* event) {
    if (event->type() == responsiveLayoutChangeEvent() || event->type() == QEvent::ParentChange)
        applyFonts();
    return QWidget::event(event);
}

void AIRefinableTextEditor::applyFonts() {
    const qreal width = responsiveLayout(this).width;
    const qreal t = (width - 375) / 1065;
    const qreal s = t <= 0 ? 0 : std::min<qreal>(t, 1);
    m_textEdit->setFont(systemFont(16 + 4 * s));
    m_backendCaption->setFont(systemFont(12 + 2 * s, QFont::Bold));
    m_backendName->setFont(systemFont(12 + 2 * s, QFont::Bold));
    m_message->setFont(systemFont(12 + 2 * s));
}

void AIRefinableTextEditor::applyScheme() {
    const bool light = m_appearance->isLight();
    const QColor secondary = schemeColors::secondaryLabel(light);
    const QColor ink = schemeColors::ink(light);
    const QColor outline = light ? QColor(0, 0, 0, 56) : QColor(255, 255, 255, 56);
    const bool unavailable = m_viewModel->backend() == AIBackend::unavailable;
    m_backendCaption->setStyleSheet(QStringLiteral("color: %1;").arg(secondary.name(QColor::HexArgb)));
    m_backendName->setStyleSheet(
        QStringLiteral("color: %1;")
            .arg((unavailable ? schemeColors::errorText(light) : secondary).name(QColor::HexArgb)));
    m_message->setStyleSheet(QStringLiteral("color: %1;").arg(schemeColors::errorText(light).name()));
    m_textEdit->setStyleSheet(
        QStringLiteral("QPlainTextEdit { background: transparent; color: %1; border: none; "
                       "border-radius: 12px; padding: 8px; }")
            .arg(ink.name(QColor::HexArgb)));
    static_cast<EditorOutline*>(m_outline)->setColor(outline);
}

} // namespace quillora
