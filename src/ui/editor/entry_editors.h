#pragma once

#include "editor/editor_help.h"
#include "model/education.h"
#include "model/experience.h"

#include <QDialog>
#include <QPointer>
#include <QPushButton>

#include <functional>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QScrollArea;
class QVBoxLayout;

namespace quillora {

class Appearance;
class FloatingHelpButton;
class FrostedCard;
class HelpSheetContainer;
class Services;
class ThemedBackground;

// The Save button of the entry sheets: a small translucent capsule with a thin outline.
class EntrySaveButton final : public QPushButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EntrySaveButton)

public:
    explicit EntrySaveButton(Appearance& appearance, QWidget* parent = nullptr);
    ~EntrySaveButton() override;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Appearance* m_appearance;
};

// What the experience and education sheets share: the themed background, the inline title, a
// scrolling column of cards, the centred Save button and the floating close and help buttons.
// Fields write into the entry as the user types; Save reports the entry and closes the sheet,
// the close button and Escape only close it.
class EntryEditorSheet : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EntryEditorSheet)

public:
    ~EntryEditorSheet() override;

    QString title() const { return m_title; }
    EntrySaveButton* saveButton() const { return m_save; }
    HelpSheetContainer* helpSheet() const { return m_help; }
    void openHelp();

protected:
    EntryEditorSheet(Services& services, const QString& title, const QString& helpTitle, QWidget* parent);

    // A card of fields bound to the entry, with a divider between each two.
    struct FieldSpec {
        QString title;
        QString identifier;
        int property;
    };
    FrostedCard* addFieldsCard(const std::shared_ptr<Record>& entry, const QList<FieldSpec>& fields);
    FrostedCard* addCard();
    void finishLayout(const QString& saveIdentifier);
    // Save: the sheet's own commit, then close.
    virtual void commit() = 0;
    virtual QList<EditorHelpTopic> helpContent() const = 0;

    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void editorSaveAction();
    void applyScheme();

    QString m_title;
    QString m_helpTitle;
    Services& m_services;
    Appearance* m_appearance;
    ThemedBackground* m_background;
    QScrollArea* m_scrollArea;
    QWidget* m_page;
    QVBoxLayout* m_pageLayout;
    QHBoxLayout* m_footer = nullptr;
    QLabel* m_titleLabel;
    QList<FrostedCard*> m_cards;
    EntrySaveButton* m_save = nullptr;
    FloatingHelpButton* m_helpButton = nullptr;
    QPointer<HelpSheetContainer> m_help;
};

// "Edit Experience": role, company, start and end dates, and the details text.
class ExperienceEditor final : public EntryEditorSheet {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ExperienceEditor)

public:
    // services and resume serve the details' writing tools.
    ExperienceEditor(const ExperiencePtr& experience, Services& services,
                     std::shared_ptr<const Record> resume, QWidget* parent = nullptr);
    ~ExperienceEditor() override;

    const ExperiencePtr& experience() const { return m_experience; }
    QPlainTextEdit* detailsEditor() const { return m_details; }

signals:
    // Save: the entry as edited (the same object the sheet was given).
    void committed(const quillora::ExperiencePtr& experience);

protected:
    void commit() override;
    QList<EditorHelpTopic> helpContent() const override;

private:
    ExperiencePtr m_experience;
    QPlainTextEdit* m_details = nullptr;
};

// "Edit Education": school, degree and year.
class EducationEditor final : public EntryEditorSheet {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EducationEditor)

public:
    EducationEditor(const EducationPtr& education, Services& services, QWidget* parent = nullptr);
    ~EducationEditor() override;

    const EducationPtr& education() const { return m_education; }

signals:
    void committed(const quillora::EducationPtr& education);

protected:
    void commit() override;
    QList<EditorHelpTopic> helpContent() const override;

private:
    EducationPtr m_education;
};

} // namespace quillora
