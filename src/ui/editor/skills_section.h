#pragma once

#include "ai/resume_skill_suggestion_service.h"
#include "model/resume.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class QAbstractButton;
class QLabel;
class QVBoxLayout;

namespace quillora {

class Appearance;
class EditorSectionCard;
class GlassCapsuleButton;
class ProgressSpinner;
class Services;
class SkillEditPopup;
class SparkleButtonLabel;
class ToggleSwitch;

// The content of the editor's Skills card. The switch "Add skills to résumé" turns skills on;
// switching it off empties the suggested and the applied skills and saves. With skills on:
// the button that asks the AI for skills inferred from the experience entries, the last
// failure, and the suggestions as chips, one per row (a click opens the skill for editing, the
// cross removes it), above "Apply Skills to Résumé", which makes them the résumé's skills.
//
// A suggestion request runs in the background; its answer is written into the résumé (and
// saved) as long as the résumé exists, also after this card has closed. `save` is the editor's
// save routine.
class SkillsSection final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SkillsSection)

public:
    SkillsSection(ResumePtr resume, AIServices ai, Appearance& appearance, std::function<void()> save,
                  QWidget* parent = nullptr);
    ~SkillsSection() override;

    // The widget the edit popup covers (the editor screen); the top-level window when unset.
    void setPopupHost(QWidget* host) { m_popupHost = host; }

    bool isGeneratingSkills() const { return m_isGeneratingSkills; }
    std::optional<QString> skillSuggestionError() const { return m_skillSuggestionError; }
    std::optional<QString> editingSkill() const { return m_editingSkill; }

    // The button's title for the state and the stored key.
    static QString generateButtonTitle(bool busy, bool hasOpenAIKey);
    // "suggestedSkillButton" + the normalised skill without spaces.
    static QString chipIdentifier(const QString& skill);

    // The generate button's action. Does nothing while a request runs or when no experience
    // entry has details.
    void generateSkillSuggestions();
    // Removes every suggestion equal to `skill` and saves.
    void removeSuggestedSkill(const QString& skill);
    // Makes the normalised suggestions the résumé's skills, empties the suggestions and saves.
    void applySuggestedSkills();
    // Opens the edit popup for one suggestion.
    void openSkill(const QString& skill);
    // The popup's Save: the first suggestion equal to the opened one becomes `edited`, then
    // saves; the popup closes either way.
    void replaceEditedSkill(const QString& edited);
    void closeSkillPopup();

    ToggleSwitch* toggle() const { return m_toggle; }
    GlassCapsuleButton* generateButton() const { return m_generateButton; }
    SparkleButtonLabel* generateLabel() const { return m_generateLabel; }
    QLabel* errorLabel() const { return m_errorLabel; }
    GlassCapsuleButton* applyButton() const { return m_applyButton; }
    QList<QAbstractButton*> chipButtons() const;
    SkillEditPopup* popup() const;

signals:
    void generatingChanged(bool generating);

private:
    // Ends the editing; the focus in the popup goes to the chip of `skill`.
    void closeSkillPopupOnto(const QString& skill);
    void includeSkillsChanged();
    void rebuildChips();
    void refresh();
    void applyScheme();
    void setGenerating(bool generating);
    bool hasOpenAIKey() const;

    ResumePtr m_resume;
    AIServices m_ai;
    Appearance* m_appearance;
    std::function<void()> m_save;
    ResumeSkillSuggestionService m_service;
    bool m_includeSkills;

    bool m_isGeneratingSkills = false;
    std::optional<QString> m_skillSuggestionError;
    std::optional<QString> m_editingSkill;

    ToggleSwitch* m_toggle;
    QWidget* m_body;
    GlassCapsuleButton* m_generateButton;
    SparkleButtonLabel* m_generateLabel;
    ProgressSpinner* m_spinner;
    QLabel* m_errorLabel;
    QWidget* m_suggestions;
    QLabel* m_suggestionsHeading;
    QWidget* m_chipArea;
    QVBoxLayout* m_chipLayout;
    GlassCapsuleButton* m_applyButton;
    QPointer<QWidget> m_popupHost;
    QPointer<SkillEditPopup> m_popup;
};

// The editor's "Skills" card around a SkillsSection whose popup covers `popupHost`.
EditorSectionCard* makeSkillsCard(const ResumePtr& resume, Services& services, std::function<void()> save,
                                  QWidget* popupHost);

} // namespace quillora
