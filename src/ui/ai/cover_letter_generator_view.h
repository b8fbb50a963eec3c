#pragma once

#include "ai/ai_model_session.h"
#include "ai/cover_letter.h"
#include "model/resume.h"

#include <QWidget>

#include <optional>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace quillora {

class Appearance;
class ProgressSpinner;
class Services;

// A screen that writes a cover letter for one résumé against a pasted job description: the
// job description (editable), the résumé as plain text (read-only, taken when the screen is
// made), "Generate Cover Letter", a progress indicator while the model works, and the letter.
// The letter stays on the screen; the résumé is never changed.
//
// The button is never disabled: each click starts a further request with the job description
// of that moment. Only the answer to the latest click is shown (an older one arriving later
// is dropped), and the progress indicator stays until that answer is in. A failure clears the
// letter. Answers for a closed screen or a deleted résumé are dropped.
class CoverLetterGeneratorView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CoverLetterGeneratorView)

public:
    CoverLetterGeneratorView(ResumePtr resume, Services& services, QWidget* parent = nullptr);
    // With explicit AI services (tests: a fake on-device model, a short time limit).
    CoverLetterGeneratorView(ResumePtr resume, AIServices ai, Appearance& appearance,
                             QWidget* parent = nullptr);
    ~CoverLetterGeneratorView() override;

    // The room between the elements of the screen's column.
    static constexpr int elementSpacing = 24;

    QString jobDescription() const;
    void setJobDescription(const QString& text);
    QString resumeText() const { return m_resumeText; }
    const std::optional<CoverLetter>& coverLetter() const { return m_coverLetter; }
    bool isLoading() const { return m_isLoading; }
    const AIModelSession& session() const { return m_session; }

    // The button's action: starts one generation and returns.
    void generateCoverLetter();

    QPlainTextEdit* jobDescriptionEditor() const { return m_jobDescription; }
    QPlainTextEdit* resumePreview() const { return m_resumePreview; }
    QPushButton* generateButton() const { return m_generateButton; }
    ProgressSpinner* progressIndicator() const { return m_progress; }
    QPlainTextEdit* letterEditor() const { return m_letter; }

signals:
    void loadingChanged(bool loading);

private:
    void refresh();
    void applyScheme();

    ResumePtr m_resume;
    Appearance* m_appearance;
    AIModelSession m_session;
    QString m_resumeText;
    std::optional<CoverLetter> m_coverLetter;
    bool m_isLoading = false;
    quint64 m_latestRequest = 0;

    QPlainTextEdit* m_jobDescription;
    QPlainTextEdit* m_resumePreview;
    QPushButton* m_generateButton;
    ProgressSpinner* m_progress;
    QWidget* m_letterGroup;
    QPlainTextEdit* m_letter;
    QList<QLabel*> m_headings;
};

} // namespace quillora
