#pragma once

#include "ai/ai_model_session.h"
#include "ai/ats_analysis.h"
#include "ai/ats_tools.h"
#include "model/resume.h"

#include <QColor>
#include <QDate>
#include <QLocale>
#include <QPushButton>
#include <QWidget>

#include <optional>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QTimer;
class QVariantAnimation;
class QVBoxLayout;

namespace quillora {

class Appearance;
class ATSAnalysisSummaryCard;
class ATSInsertedKeywordsCard;
class EditorSectionCard;
class GlassCapsuleButton;
class Services;
class SparkleButtonLabel;

// The content of the editor's ATS Version card. A switch turns the résumé's ATS version on;
// with it on: the analyse button ("analyzeATSButton"), the re-analyse hint, the analysis
// failure, the analysis card, the job posting ("atsJobPostingEditor"), the rewrite button
// ("generateATSButton"), the note, the rewrite failure, the inserted keywords and the time of
// the last rewrite.
//
// The analysis scores the résumé against the posting; an input already analysed (same posting
// and résumé text) is not sent again. The rewrite writes a conservative, posting-tuned version
// straight into the résumé (the next save stores it). Both run in the background and
// independently; what they keep (result, fingerprint, failures, busy flags) lives only as long
// as this widget. An analysis that arrives after the widget is gone is dropped; a rewrite is
// still written into the résumé then, unless the résumé was deleted.
class OpacityTransition;

// The date in the locale's abbreviated form, the month as a word ("Dec 7, 2026", "7. Dez. 2026").
QString abbreviatedDateText(const QDate& date, const QLocale& locale);

// What an applied rewrite says: "ATS version created.", then what it changed (the summary, the
// details of entries, the skills applied and switched on, the keywords inserted).
QString rewriteOutcomeText(const ATSRewriteChanges& changes);

class ATSVersionSection final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ATSVersionSection)

public:
    ATSVersionSection(ResumePtr resume, Services& services, QWidget* parent = nullptr);
    // With explicit AI services (tests: a fake on-device model, a short time limit).
    ATSVersionSection(ResumePtr resume, AIServices ai, Appearance& appearance, QWidget* parent = nullptr);
    ~ATSVersionSection() override;

    const ResumePtr& resume() const { return m_resume; }
    const AIModelSession& atsSession() const { return m_atsSession; }
    const AIModelSession& atsAnalysisSession() const { return m_atsAnalysisSession; }

    bool isAnalyzingResumeATS() const { return m_isAnalyzingResumeATS; }
    bool isGeneratingATSVersion() const { return m_isGeneratingATSVersion; }
    const std::optional<ATSAnalysis>& atsAnalysis() const { return m_atsAnalysis; }
    const std::optional<QString>& lastATSInputHash() const { return m_lastATSInputHash; }
    const std::optional<QString>& atsAnalysisError() const { return m_atsAnalysisError; }
    const std::optional<QString>& atsRewriteError() const { return m_atsRewriteError; }

    // The fingerprint of the current posting and résumé text, computed afresh.
    QString atsInputHash() const;
    // False when this input was analysed already or the posting is blank.
    bool canAnalyzeATS() const;

    // The two actions; each returns at once and delivers later.
    void analyzeResumeATS();
    void generateATSVersion();

    // The last-generated label's fade as the date is set or cleared, and the generate button's
    // as its busy state changes.
    OpacityTransition& lastGeneratedTransition() const { return *m_lastGeneratedTransition; }
    OpacityTransition& generateTransition() const { return *m_generateTransition; }
    // The analyse button's change between its ready and resting look (fill, outline, title and
    // icon colours together), and the colours its title and icon have now.
    const QVariantAnimation& analyzeFade() const;
    QColor analyzeTitleColor() const { return m_analyzeTitleColor; }
    QColor analyzeIconColor() const { return m_analyzeIconColor; }

signals:
    // Any of the state above changed.
    void stateChanged();

private:
    void runATSAnalysis(const QString& prompt, const QString& inputHash);
    void runATSRewrite(const ATSRewriteRequest& request);
    void watchResume();
    void watchEntries();
    void refresh();
    void rebuildAnalysisCard();
    void applyAnalyzeColors();
    void rebuildKeywordsCard();
    void applyScheme();

    ResumePtr m_resume;
    AIServices m_ai;
    Appearance* m_appearance;
    AIModelSession m_atsSession;
    AIModelSession m_atsAnalysisSession;

    bool m_isAnalyzingResumeATS = false;
    bool m_isGeneratingATSVersion = false;
    std::optional<ATSAnalysis> m_atsAnalysis;
    std::optional<QString> m_lastATSInputHash;
    std::optional<QString> m_atsAnalysisError;
    std::optional<QString> m_atsRewriteError;

    QList<QMetaObject::Connection> m_entryConnections;

    QCheckBox* m_toggle;
    QWidget* m_body;
    QVBoxLayout* m_bodyLayout;
    QWidget* m_divider;
    QPushButton* m_analyzeButton;
    QLabel* m_analyzeIcon;
    QLabel* m_analyzeTitle;
    QColor m_analyzeTitleColor;
    QColor m_analyzeIconColor;
    QWidget* m_progress;
    QLabel* m_reanalyzeHint;
    QLabel* m_analysisError;
    ATSAnalysisSummaryCard* m_analysisCard = nullptr;
    QLabel* m_postingHeading;
    QPlainTextEdit* m_postingEditor;
    GlassCapsuleButton* m_generateButton;
    SparkleButtonLabel* m_generateLabel;
    QLabel* m_note;
    QLabel* m_rewriteError;
    ATSInsertedKeywordsCard* m_keywordsCard = nullptr;
    QLabel* m_lastGenerated;
    OpacityTransition* m_lastGeneratedTransition;
    OpacityTransition* m_generateTransition;
    bool m_generatingShown = false;
};

// The editor's ATS Version card ("checklist", "ATS Version") around the section, following
// the app's look.
EditorSectionCard* makeATSVersionCard(const ResumePtr& resume, Services& services);

} // namespace quillora
