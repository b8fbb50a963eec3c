#pragma once

#include "ai/ai_model_session.h"
#include "model/resume.h"

#include <QWidget>

#include <functional>
#include <optional>

class QLabel;

namespace quillora {

class Appearance;
class EditorSectionCard;
class EditorTextArea;
class GlassCapsuleButton;
class OpacityTransition;
class Services;
class SparkleButtonLabel;
class ToggleSwitch;

// The content of the editor's Cover Letter card. The switch "Include Cover Letter" adds a
// letter to the résumé; with it on: the job posting, the button that writes the letter with
// the AI from the posting, the experience and the education, the last failure, and the letter
// for editing. A generated letter replaces the letter and is saved at once; a failure changes
// neither the letter nor its date. One request at a time; its answer is written into the
// résumé (and saved) as long as the résumé exists, also after this card has closed. `save` is
// the editor's save routine.
class CoverLetterSection final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CoverLetterSection)

public:
    CoverLetterSection(ResumePtr resume, AIServices ai, Appearance& appearance, std::function<void()> save,
                       QWidget* parent = nullptr);
    ~CoverLetterSection() override;

    bool isGeneratingCoverLetter() const { return m_isGeneratingCoverLetter; }
    std::optional<QString> coverLetterError() const { return m_coverLetterError; }
    const AIModelSession& coverLetterSession() const { return m_coverLetterSession; }

    static QString generateButtonTitle(bool busy, bool hasOpenAIKey);

    // The button's action: sends the posting and the résumé for a letter, unless a request runs.
    void generateCoverLetterFromEditor();

    ToggleSwitch* toggle() const { return m_toggle; }
    EditorTextArea* postingEditor() const { return m_posting; }
    GlassCapsuleButton* generateButton() const { return m_generateButton; }
    SparkleButtonLabel* generateLabel() const { return m_generateLabel; }
    // The button's fade as its busy state changes.
    OpacityTransition& generateTransition() const { return *m_generateTransition; }
    QLabel* errorLabel() const { return m_errorLabel; }
    EditorTextArea* letterEditor() const { return m_letter; }

signals:
    void generatingChanged(bool generating);

private:
    void refresh();
    void applyScheme();
    void setGenerating(bool generating);
    bool hasOpenAIKey() const;

    ResumePtr m_resume;
    AIServices m_ai;
    Appearance* m_appearance;
    std::function<void()> m_save;
    AIModelSession m_coverLetterSession;

    bool m_isGeneratingCoverLetter = false;
    std::optional<QString> m_coverLetterError;

    ToggleSwitch* m_toggle;
    QWidget* m_body;
    QLabel* m_postingHeading;
    EditorTextArea* m_posting;
    GlassCapsuleButton* m_generateButton;
    SparkleButtonLabel* m_generateLabel;
    OpacityTransition* m_generateTransition;
    QLabel* m_errorLabel;
    QLabel* m_letterHeading;
    EditorTextArea* m_letter;
};

// The editor's "Cover Letter" card around a CoverLetterSection.
EditorSectionCard* makeCoverLetterCard(const ResumePtr& resume, Services& services,
                                       std::function<void()> save);

} // namespace quillora
