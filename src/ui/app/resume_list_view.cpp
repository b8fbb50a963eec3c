#include "app/resume_list_view.h"

#include "ai/cover_letter_generator_view.h"
#include "ai/openai_client.h"
#include "app/circle_icon_button.h"
#include "app/list_frame.h"
#include "app/list_logo_header.h"
#include "app/openai_key_prompt.h"
#include "app/resume_card_delegate.h"
#include "app/resume_card_list.h"
#include "app/resume_list_metrics.h"
#include "app/resume_list_model.h"
#include "app/resume_list_texts.h"
#include "app/services.h"
#include "controls/alert_sizing.h"
#include "controls/frosted_card.h"
#include "controls/glass_capsule_button.h"
#include "controls/outcome.h"
#include "controls/symbol_icon.h"
#include "controls/window_placement.h"
#include "editor/resume_editor_view.h"
#include "model/resume_operations.h"
#include "platform/app_events.h"
#include "platform/appearance.h"
#include "platform/log.h"
#include "platform/settings.h"
#include "store/model_context.h"
#include "theme/hex_color.h"
#include "theme/responsive_layout.h"
#include "theme/scheme_colors.h"
#include "theme/themed_background.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSvgRenderer>
#include <QVBoxLayout>

#include <cmath>

namespace quillora {

namespace {

const QString duplicateIdentifierPrefix = QStringLiteral("duplicateResumeButton");
const QString deleteIdentifierPrefix = QStringLiteral("deleteResumeButton");

// The smallest the list's logo is drawn before it is hidden.
constexpr qreal minimumLogoScale = 0.5;

// Runs `onAppear` the first time the widget is shown.
class AppearNotifier final : public QObject {
public:
    AppearNotifier(QWidget* watched, std::function<void()> onAppear)
        : QObject(watched)
        , m_onAppear(std::move(onAppear)) {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && m_onAppear)
            std::exchange(m_onAppear, nullptr)();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onAppear;
};

// What the cover-letter sheet shows when there is no résumé to write for.
QWidget* makeNoResumeNote(bool light, QWidget* parent) {
    auto* note = new QWidget(parent);
    note->setObjectName(QStringLiteral("coverLetterNoResume"));
    auto* stack = new QVBoxLayout(note);
    stack->setContentsMargins(16, 16, 16, 16);
    stack->setSpacing(16);
    stack->addStretch(1);
    auto* icon = new QLabel(note);
    icon->setObjectName(QStringLiteral("coverLetterNoResumeIcon"));
    icon->setPixmap(symbolPixmap(QStringLiteral("exclamationmark.triangle"), QColor(0xFF, 0x95, 0x00), 40,
                                 note->devicePixelRatioF()));
    icon->setAlignment(Qt::AlignCenter);
    stack->addWidget(icon);
    auto* title = new QLabel(QStringLiteral("No résumé available"), note);
    title->setObjectName(QStringLiteral("coverLetterNoResumeTitle"));
    title->setFont(systemFont(17, QFont::DemiBold));
    title->setAlignment(Qt::AlignCenter);
    title->setWordWrap(true);
    stack->addWidget(title);
    auto* message =
        new QLabel(QStringLiteral("Please create a résumé before generating a cover letter."), note);
    message->setObjectName(QStringLiteral("coverLetterNoResumeMessage"));
    message->setFont(systemFont(15));
    message->setAlignment(Qt::AlignCenter);
    message->setWordWrap(true);
    QPalette secondary = message->palette();
    secondary.setColor(QPalette::WindowText, schemeColors::secondaryLabel(light));
    message->setPalette(secondary);
    stack->addWidget(message);
    stack->addStretch(1);
    return note;
}

// The key button of the main help sheet: "Add …" without a stored key, "Remove …" with one.
void refreshOpenAIKeyButton(QPushButton* button, const Settings& settings) {
    const bool present = !settings.openAIAPIKey().trimmed().isEmpty();
    const QString label = present ? resumeListTexts::removeKey() : resumeListTexts::addKey();
    button->setText(label);
    button->setAccessibleName(label);
    button->setAccessibleDescription(present ? resumeListTexts::removeKeyHint()
                                             : resumeListTexts::addKeyHint());
}

} // namespace

ResumeListView::ResumeListView(Services& services, UserInterfaceIdiom idiom, QWidget* parent)
    : QWidget(parent)
    , m_services(services)
    , m_context(services.context())
    , m_idiom(idiom)
    , m_runModal([](QDialog& dialog) { return dialog.exec(); }) {
    setObjectName(QStringLiteral("resumeListView"));
    const bool pad = m_idiom == UserInterfaceIdiom::pad;

    m_background = new ThemedBackground(m_services.settings(), m_services.appearance(), this);
    m_background->setOrbScale(1.15);

    m_column = new QWidget(this);
    m_column->setObjectName(QStringLiteral("resumeListColumn"));
    auto* column = new QVBoxLayout(m_column);
    column->setSpacing(0);
    m_header = new LogoHeader(pad, m_column);
    column->addWidget(m_header);

    m_listFrame = new ListFrame(!pad, m_column);
    auto* frameLayout = new QVBoxLayout(m_listFrame);
    frameLayout->setContentsMargins(2, 2, 2, 2);
    m_listView = new ResumeCardList(m_services.appearance(), m_listFrame);
    m_listView->setObjectName(QStringLiteral("resumeList"));
    m_listView->setAccessibleName(resumeListTexts::listName());
    m_listView->setFrameShape(QFrame::NoFrame);
    m_listView->setAttribute(Qt::WA_TranslucentBackground);
    m_listView->viewport()->setAutoFillBackground(false);
    m_listView->setStyleSheet(QStringLiteral("QListView { background: transparent; }"));
    m_listView->setUniformItemSizes(true);
    m_listView->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_listView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_listView->setOpensOnKeyboardMove(pad);
    m_listView->setContextMenuPolicy(Qt::CustomContextMenu);
    m_model = new ResumeListModel(m_context, this);
    m_delegate = new ResumeCardDelegate(this);
    m_listView->setModel(m_model);
    m_listView->setCardDelegate(m_delegate);
    frameLayout->addWidget(m_listView);
    column->addWidget(m_listFrame, 1);

    connect(m_listView, &QListView::clicked, this,
            [this](const QModelIndex& index) { selectResume(m_model->resumeAt(index.row())); });
    connect(m_listView, &ResumeCardList::openRequested, this,
            [this](const QModelIndex& index) { selectResume(m_model->resumeAt(index.row())); });
    connect(m_listView, &ResumeCardList::currentRowMoved, this, &ResumeListView::currentRowMoved);
    connect(m_listView, &QListView::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QModelIndex index = m_listView->indexAt(pos);
        if (!index.isValid())
            return;
        QMenu* menu = contextMenuFor(index, this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(m_listView->viewport()->mapToGlobal(pos));
    });

    installKeyActions();
    m_bottomBar = buildBottomBar();

    connect(m_model, &QAbstractItemModel::rowsInserted, this, &ResumeListView::updateTip);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &ResumeListView::updateTip);
    connect(m_model, &QAbstractItemModel::modelReset, this, &ResumeListView::updateTip);
    connect(&m_services.appearance(), &Appearance::changed, this, &ResumeListView::applyScheme);

    m_column->raise();
    m_bottomBar->raise();
    applyScheme();
    applyWidth();
}

// The keyboard's ways to the card actions, on the current card: Ctrl+D duplicates, Delete asks
// to delete, Return or Enter opens.
void ResumeListView::installKeyActions() {
    // A card action's title (its text) names it to assistive technologies, with its keys, as an
    // action of the card.
    const auto addKeyAction = [this](const QString& name, const QKeySequence& keys, auto handler,
                                     const QString& title = QString()) {
        auto* action = new QAction(title, this);
        action->setObjectName(name);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, handler);
        m_listView->addAction(action);
        return action;
    };
    addKeyAction(
        duplicateIdentifierPrefix, QKeySequence(Qt::CTRL | Qt::Key_D),
        [this] {
            if (auto resume = currentResume())
                duplicateAction(resume);
        },
        resumeListTexts::duplicateAction().section(QLatin1Char('\t'), 0, 0));
    addKeyAction(
        deleteIdentifierPrefix, QKeySequence(QKeySequence::Delete),
        [this] {
            if (auto resume = currentResume())
                requestDeletion(resume);
        },
        resumeListTexts::deleteAction().section(QLatin1Char('\t'), 0, 0));
    auto* open = addKeyAction(QStringLiteral("openResumeAction"), QKeySequence(Qt::Key_Return), [this] {
        if (auto resume = currentResume())
            selectResume(resume);
    });
    open->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
}

ResumeListView::~ResumeListView() = default;

void ResumeListView::setModalRunner(ModalRunner runner) {
    m_runModal = std::move(runner);
}

int ResumeListView::runModal(QDialog& dialog) {
    emit sheetPresented(&dialog);
    return m_runModal(dialog);
}

QWidget* ResumeListView::buildBottomBar() {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("resumeListBottomBar"));
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    struct BarButton {
        const char* symbol;
        QString label;
        QString hint;
        const char* identifier;
        void (ResumeListView::*action)();
    };
    const BarButton entries[] = {
        {"questionmark", resumeListTexts::helpButton(), resumeListTexts::helpButtonHint(),
         "resumeListHelpButton", &ResumeListView::openHelp},
        {"paintbrush.pointed.fill", resumeListTexts::backgroundButton(),
         resumeListTexts::backgroundButtonHint(), "resumeListBackgroundButton",
         &ResumeListView::openBackgroundPicker},
        {"plus", resumeListTexts::addButton(), resumeListTexts::addButtonHint(), "addResumeButton",
         &ResumeListView::createNewResume},
    };
    bool first = true;
    for (const BarButton& entry : entries) {
        if (!first)
            layout->addStretch(1);
        first = false;
        auto* button = new CircleIconButton(QString::fromUtf8(entry.symbol), bar);
        button->setAccessibleName(entry.label);
        button->setAccessibleDescription(entry.hint);
        button->setObjectName(QString::fromUtf8(entry.identifier));
        button->setToolTip(entry.label);
        connect(button, &QAbstractButton::clicked, this, entry.action);
        layout->addWidget(button);
        m_circleButtons.append(button);
    }
    return bar;
}

QList<HelpGroup> ResumeListView::mainInterfaceHelpContent() {
    return resumeListTexts::helpContent();
}

QString ResumeListView::deleteAlertMessage(const QString& title) {
    return resumeListTexts::deleteAlertMessage(title);
}

QMenu* ResumeListView::contextMenuFor(const QModelIndex& index, QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("resumeCardMenu"));
    const ResumePtr resume = m_model->resumeAt(index.row());
    if (!resume)
        return menu;
    const bool light = m_services.appearance().isLight();
    const QString id = index.data(ResumeListModel::PersistentIDRole).toString();
    const std::weak_ptr<Resume> weak = resume;

    auto* duplicate = menu->addAction(symbolIcon(QStringLiteral("doc.on.doc"), accentColor(light)),
                                      resumeListTexts::duplicateAction());
    duplicate->setObjectName(duplicateIdentifierPrefix + id);
    connect(duplicate, &QAction::triggered, this, [this, weak] {
        if (auto r = weak.lock(); r && !r->isDeleted())
            duplicateAction(r);
    });
    auto* remove = menu->addAction(symbolIcon(QStringLiteral("trash"), destructiveColor(light)),
                                   resumeListTexts::deleteAction());
    remove->setObjectName(deleteIdentifierPrefix + id);
    connect(remove, &QAction::triggered, this, [this, weak] {
        if (auto r = weak.lock(); r && !r->isDeleted())
            requestDeletion(r);
    });
    return menu;
}

ResumePtr ResumeListView::currentResume() const {
    const QModelIndex index = m_listView->currentIndex();
    return index.isValid() ? m_model->resumeAt(index.row()) : nullptr;
}

void ResumeListView::selectResume(const ResumePtr& resume) {
    if (!resume || resume->isDeleted())
        return;
    if (m_idiom == UserInterfaceIdiom::pad) {
        // The résumé left is saved as its editor goes and may move to the top, sliding the one
        // opened to another place under the focus: its new place is said with it.
        m_resortedWhileOpening = false;
        m_opening = true;
        m_services.events().postSelectResume(resume);
        m_opening = false;
        QString said = QStringLiteral("Opened “") + resume->title() + QStringLiteral("”");
        if (std::exchange(m_resortedWhileOpening, false))
            said += QStringLiteral(", now ") + placeOf(resume);
        announceOutcome(m_listView, said + u'.');
        return;
    }
    m_selectedResume = resume;
    openEditorSheet();
}

QString ResumeListView::placeOf(const ResumePtr& resume) const {
    return QStringLiteral("%1 of %2").arg(m_model->rowOf(resume.get()) + 1).arg(m_model->rowCount());
}

void ResumeListView::currentRowMoved(const QModelIndex& current) {
    if (m_opening) {
        m_resortedWhileOpening = true;
        return;
    }
    if (const ResumePtr resume = m_model->resumeAt(current.row()))
        announceOutcome(m_listView, QStringLiteral("“") + resume->title() + QStringLiteral("” is now ") +
                                        placeOf(resume) + u'.');
}

void ResumeListView::openEditorSheet() {
    QDialog sheet(this);
    sheet.setObjectName(QStringLiteral("resumeEditorSheet"));
    fitToAvailableGeometry(&sheet, QSize(820, 760));
    auto* outer = new QVBoxLayout(&sheet);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* editor = new ResumeEditorView(m_selectedResume, m_services, &sheet);
    sheet.setWindowTitle(editor->navigationTitle());
    connect(editor, &QWidget::windowTitleChanged, &sheet, &QWidget::setWindowTitle);
    outer->addWidget(editor);
    m_sheetEditor = editor;
    addFloatingCloseButton(m_services.appearance(), &sheet);
    m_listView->setOpenResume(m_selectedResume);
    runModal(sheet);
    m_listView->setOpenResume(nullptr);
    m_selectedResume.reset();
}

void ResumeListView::willEnterBackground() {
    if (m_sheetEditor)
        m_sheetEditor->saveOnBackground();
}

void ResumeListView::duplicateAction(const ResumePtr& resume) {
    ResumePtr copy = duplicateResume(*resume);
    copy->setLastEdited(QDateTime::currentDateTimeUtc());
    m_context.insert(copy);
    if (auto saved = m_context.save(); !saved)
        logLine(QStringLiteral("⚠️ Failed to save duplicated resume: ") + saved.error());
    // The copy comes in at the top; the focus stays on the row it was made from.
    announceOutcome(m_listView, QStringLiteral("Duplicated as “") + copy->title() + QStringLiteral("”."));
}

void ResumeListView::requestDeletion(const ResumePtr& resume) {
    m_resumePendingDeletion = resume;
    QMessageBox alert(this);
    alert.setObjectName(QStringLiteral("deleteResumeAlert"));
    alert.setIcon(QMessageBox::Warning);
    alert.setTextFormat(Qt::PlainText); // the title is the user's text, never markup
    alert.setWindowTitle(deleteAlertTitle);
    alert.setText(deleteAlertTitle);
    alert.setInformativeText(deleteAlertMessage(resume->title()));
    if (auto* informative = alert.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        informative->setTextFormat(Qt::PlainText);
    QPushButton* deleteButton =
        alert.addButton(resumeListTexts::deleteButton(), QMessageBox::DestructiveRole);
    deleteButton->setObjectName(QStringLiteral("confirmDeleteResumeButton"));
    QPushButton* cancelButton = alert.addButton(QMessageBox::Cancel);
    cancelButton->setObjectName(QStringLiteral("cancelDeleteResumeButton"));
    alert.setDefaultButton(cancelButton);
    alert.setEscapeButton(cancelButton);
    fitAlertToTexts(alert);
    // The row in question stays marked while the alert asks about it.
    m_listView->setMarkedForDeletion(resume);
    runModal(alert);
    m_listView->setMarkedForDeletion(nullptr);
    const ResumePtr pending = std::exchange(m_resumePendingDeletion, nullptr);
    if (alert.clickedButton() == deleteButton && pending && !pending->isDeleted())
        deleteResume(pending);
}

void ResumeListView::deleteResume(const ResumePtr& resume) {
    const QString title = resume->title();
    m_context.deleteRecord(resume);
    if (auto saved = m_context.save(); !saved)
        logLine(QStringLiteral("⚠️ Failed to save after deleting resume: ") + saved.error());
    // The focus is on the row that took its place, or on Add resume once the list is empty.
    QWidget* focus = m_model->rowCount() > 0 || m_circleButtons.isEmpty() ? static_cast<QWidget*>(m_listView)
                                                                          : m_circleButtons.last();
    announceOutcome(m_listView, QStringLiteral("Deleted “") + title + QStringLiteral("”."), focus);
}

void ResumeListView::createNewResume() {
    ResumePtr resume = makeNewResume();
    m_context.insert(resume);
    if (auto saved = m_context.save(); !saved) {
        logLine(QStringLiteral("⚠️ Failed to save new resume: ") + saved.error());
        return;
    }
    m_showTip = false;
    updateTip();
    announceOutcome(m_listView, QStringLiteral("Added “") + resume->title() + QStringLiteral("”."));
}

void ResumeListView::openHelp() {
    m_showHelp = true;
    QDialog* sheet = makeHelpSheet(m_services.appearance(), resumeListTexts::helpTitle(),
                                   mainInterfaceHelpContent(), makeOpenAIKeyButtonRow(), this);
    runModal(*sheet);
    delete sheet;
    m_showHelp = false;
}

QWidget* ResumeListView::makeOpenAIKeyButtonRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* button = new GlassCapsuleButton(m_services.appearance(), row);
    button->setObjectName(QStringLiteral("openAIKeyActionButton"));
    // Subheadline, semibold.
    button->setFont(systemFont(15, QFont::DemiBold));
    Settings& settings = m_services.settings();
    refreshOpenAIKeyButton(button, settings);
    connect(&settings, &Settings::changed, button, [button, &settings](const QString& key) {
        if (key == Settings::openAIAPIKeyKey)
            refreshOpenAIKeyButton(button, settings);
    });
    connect(button, &QPushButton::clicked, this, [this, button] { toggleOpenAIKey(button->window()); });
    layout->addStretch(1);
    layout->addWidget(button);
    layout->addStretch(1);
    return row;
}

void ResumeListView::toggleOpenAIKey(QWidget* over) {
    Settings& settings = m_services.settings();
    if (!settings.openAIAPIKey().trimmed().isEmpty()) {
        settings.remove(Settings::openAIAPIKeyKey);
        settings.setOpenAIAPIKey(QString());
        // The button keeps the focus under its new name.
        announceOutcome(over != nullptr ? over : this, resumeListTexts::keyRemoved());
        return;
    }
    m_openAIKeyDraft.clear();
    m_showOpenAIKeyPrompt = true;
    openOpenAIKeyPrompt(over);
}

void ResumeListView::openOpenAIKeyPrompt(QWidget* over) {
    OpenAIKeyPrompt prompt(m_openAIKeyDraft, over != nullptr ? over : this);
    connect(prompt.field(), &QLineEdit::textChanged, this,
            [this](const QString& text) { m_openAIKeyDraft = text; });
    const int result = runModal(prompt);
    m_showOpenAIKeyPrompt = false;
    if (result == QDialog::Accepted)
        saveOpenAIKey();
}

void ResumeListView::saveOpenAIKey() {
    Settings& settings = m_services.settings();
    OpenAIClient::setAPIKey(settings, m_openAIKeyDraft);
    settings.setOpenAIAPIKey(OpenAIClient::storedAPIKey(settings).value_or(QString()));
    m_openAIKeyDraft.clear();
}

void ResumeListView::openBackgroundPicker() {
    m_showGradientPicker = true;
    QDialog* sheet = makeGradientPickerSheet(m_services.themeController(), m_services.appearance(), this);
    runModal(*sheet);
    delete sheet;
    m_showGradientPicker = false;
}

void ResumeListView::openCoverLetterGenerator() {
    m_showCoverLetterGenerator = true;
    QDialog sheet(this);
    sheet.setObjectName(QStringLiteral("coverLetterGeneratorSheet"));
    applySchemePalette(&sheet, m_services.appearance().isLight());
    auto* layout = new QVBoxLayout(&sheet);
    layout->setContentsMargins(0, 0, 0, 0);
    const ResumePtr first = m_model->rowCount() > 0 ? m_model->resumeAt(0) : nullptr;
    QWidget* content = nullptr;
    if (first) {
        content = new CoverLetterGeneratorView(first, m_services, &sheet);
        const QString title = first->title();
        new AppearNotifier(content, [title] {
            logLine(QStringLiteral("🟢 CoverLetterGenerator opened with resume: ") + title);
        });
        sheet.resize(820, 760);
    } else {
        content = makeNoResumeNote(m_services.appearance().isLight(), &sheet);
        new AppearNotifier(content,
                           [] { logLine(QStringLiteral("🚨 CoverLetterGenerator opened with NO resumes")); });
        sheet.resize(480, 360);
    }
    layout->addWidget(content);
    addFloatingCloseButton(m_services.appearance(), &sheet);
    runModal(sheet);
    m_showCoverLetterGenerator = false;
}

void ResumeListView::scheduleLogoReveal() {
    QTimer::singleShot(m_logoRevealDelay, this, [this] { setShowLogo(true); });
}

void ResumeListView::setShowLogo(bool show) {
    if (m_showLogo == show)
        return;
    m_showLogo = show;
    static_cast<LogoHeader*>(m_header)->reveal(!m_services.appearance().reduceMotion());
    if (m_tip)
        m_tip->setShowLogo(show);
}

void ResumeListView::updateTip() {
    const bool present = m_showTip && m_model->rowCount() == 0 && m_idiom != UserInterfaceIdiom::pad;
    if (present && !m_tip) {
        m_tip = new ResumeTipView(m_services.appearance(), this, m_tipTiming);
        m_tip->setShowLogo(m_showLogo);
        m_column->layout()->activate();
        m_tip->setGeometry(m_listFrame->geometry());
        connect(m_tip, &ResumeTipView::dismissed, this, [this] {
            m_showTip = false;
            updateTip();
        });
        m_tip->show();
        m_bottomBar->raise();
        applyWidth();
    } else if (!present && m_tip) {
        m_tip->leave();
        m_tip = nullptr;
        applyWidth();
    }
}

void ResumeListView::applyWidth() {
    const qreal w = width();
    const qreal u = insetScale(w);
    m_background->setGeometry(rect());
    m_column->setGeometry(rect());
    const int listInset = int(std::lround(16 + 18 * u));
    const int topInset = int(std::lround(20 + 20 * u));
    constexpr int bottomInset = 78; // keeps the last rows clear of the bottom bar
    m_column->layout()->setContentsMargins(listInset, topInset, listInset, bottomInset);
    auto* header = static_cast<LogoHeader*>(m_header);
    header->setAvailableWidth(w);
    m_delegate->setAvailableWidth(w);
    // In a short window the logo shrinks, then goes, before it takes the room of the first
    // two cards (or of the welcome tip over an empty list); it never covers the list or the bar.
    const qreal listRoom = m_tip
                               ? m_tip->fullCardHeight(w - 2 * listInset) + 2 * ResumeTipView::shortAreaMargin
                               : 2 * m_delegate->sizeHint(QStyleOptionViewItem(), QModelIndex()).height() + 8;
    const qreal room = height() - topInset - bottomInset - listRoom;
    const qreal scale = std::min<qreal>(1, room / header->naturalHeight());
    header->setVisible(scale >= minimumLogoScale);
    header->setScale(std::max(scale, minimumLogoScale));
    for (QAbstractButton* button : std::as_const(m_circleButtons))
        static_cast<CircleIconButton*>(button)->setAvailableWidth(w);
    const int barInset = int(std::lround(20 + 18 * u));
    const int barHeight = m_bottomBar->sizeHint().height();
    m_bottomBar->setGeometry(barInset, height() - 18 - barHeight, std::max(0, width() - 2 * barInset),
                             barHeight);
    m_listView->doItemsLayout();
    if (m_tip) {
        // The tip lies over the empty list, between the logo and the bar.
        m_column->layout()->activate();
        m_tip->setGeometry(m_listFrame->geometry());
    }
}

void ResumeListView::applyScheme() {
    const bool light = m_services.appearance().isLight();
    m_delegate->setLightScheme(light);
    static_cast<LogoHeader*>(m_header)->setLight(light);
    static_cast<ListFrame*>(m_listFrame)->setLight(light);
    for (QAbstractButton* button : std::as_const(m_circleButtons))
        static_cast<CircleIconButton*>(button)->setLight(light);
    m_listView->viewport()->update();
}

void ResumeListView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    applyWidth();
}

void ResumeListView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    applyWidth();
    if (m_model->rowCount() == 0)
        m_showTip = true;
    updateTip();
    scheduleLogoReveal();
}

} // namespace quillora
