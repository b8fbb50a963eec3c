#pragma once

#include "ai/ai_model_session.h"
#include "ai/seamless_star_formatter.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QPlainTextEdit;

namespace quillora {

class Appearance;
class GlassCapsuleButton;
class Record;
class ResumeAIViewModel;
class Services;
class SparkleButtonLabel;

// A multi-line text field that can rewrite its own text as a STAR paragraph with AI. Top to
// bottom: "AI Backend:" and the backend in use, the text, the last message (red), and the
// "STAR with OpenAI" / "STAR with Apple AI" button, disabled while a refinement runs.
//
// How the résumé editor embeds it:
//   auto* summary = new AIRefinableTextEditor(services, SeamlessStarMode::summary, parent);
//   summary->setResume(resume);
//   summary->setText(resume->summary());
//   connect(summary, &AIRefinableTextEditor::textEdited, …write resume summary…);
//   summary->setSummaryContextProvider([=] { …the summary when not blank, else nothing… });
//   summary->setResumeContextProvider([=] { return plainTextResume(*resume); });
// Or bind textEdit() (a QPlainTextEdit) with the binding helper directly: the refined text is
// written into it as one undoable edit, so it emits textChanged like typing does.
//
// The text is replaced only by a non-empty paragraph that the refinement started by the
// button produced; failures, empty answers and the empty-input message leave it as it is.
// Closing (destroying) the widget, or deleting the résumé given to setResume(), drops a
// refinement still under way.
//
// Identifiers: "summaryAITextEditor" / "refineSummaryButton" in summary mode,
// "experienceAITextEditor" / "refineExperienceButton" in experience mode.
class AIRefinableTextEditor final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AIRefinableTextEditor)

public:
    using ContextProvider = std::function<std::optional<QString>()>;

    AIRefinableTextEditor(Services& services, SeamlessStarMode mode, QWidget* parent = nullptr);
    // With explicit AI services (tests: a fake on-device model, a short time limit).
    AIRefinableTextEditor(AIServices ai, Appearance& appearance, SeamlessStarMode mode,
                          QWidget* parent = nullptr);
    ~AIRefinableTextEditor() override;

    SeamlessStarMode mode() const { return m_mode; }

    QString text() const;
    // Replaces the text without emitting textEdited (for loading the field from the résumé).
    void setText(const QString& text);

    // Read when the button is pressed: the summary context (the user's summary) and the résumé
    // context (the whole résumé as plain text). Unset: absent.
    void setSummaryContextProvider(ContextProvider provider);
    void setResumeContextProvider(ContextProvider provider);
    // The résumé the text belongs to (held weakly); a refinement that ends after it was
    // deleted is dropped.
    void setResume(const std::shared_ptr<const Record>& resume);

    // The least height the whole editor takes in its host; it is never given less than its rows
    // need, so the text, the message and the button never run into one another.
    void setMinimumHostHeight(int height);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    QPlainTextEdit* textEdit() const { return m_textEdit; }
    GlassCapsuleButton* refineButton() const { return m_button; }
    ResumeAIViewModel* viewModel() const { return m_viewModel; }

    // What the button does: refine the current text; write back what that refinement produced.
    void refineButtonAction();

signals:
    // The user changed the text, or a refinement replaced it.
    void textEdited(const QString& text);

protected:
    bool event(QEvent* event) override;

private:
    void applyRefinedText(const QString& refined);
    void updateBackend();
    void updateMessage();
    void updateBusy();
    void applyFonts();
    void applyScheme();

    SeamlessStarMode m_mode;
    ResumeAIViewModel* m_viewModel;
    Appearance* m_appearance;
    ContextProvider m_summaryContext;
    ContextProvider m_resumeContext;
    QLabel* m_backendCaption;
    QLabel* m_backendName;
    QPlainTextEdit* m_textEdit;
    QWidget* m_outline;
    QLabel* m_message;
    GlassCapsuleButton* m_button;
    SparkleButtonLabel* m_buttonLabel;
    bool m_loading = false;
    int m_minimumHostHeight = 0;
};

} // namespace quillora
