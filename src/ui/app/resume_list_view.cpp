#include "app/resume_list_view.h"

#include "ai/openai_client.h"
#include "app/resume_card_delegate.h"
#include "app/resume_card_list.h"
#include "app/resume_list_model.h"
#include "controls/alert_sizing.h"
#include "controls/frosted_card.h"
#include "controls/glass_capsule_button.h"
#include "editor/resume_editor_view.h"
#include "model/resume_operations.h"
#include "platform/app_events.h"
#include "platform/appearance.h"
#include "platform/log.h"
#include "platform/services.h"
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

// t for the logo, cards and circular buttons; u for the bar and list insets.
qreal cardScale(qreal width) {
    return responsiveScale(width, 1025);
}
qreal insetScale(qreal width) {
    return responsiveScale(width, 825);
}

// The hand mark over the word mark, in the ink colour, revealed by a fade.
class LogoHeader final : public QWidget {
public:
    LogoHeader(bool pad, QWidget* parent)
        : QWidget(parent)
        , m_pad(pad)
        , m_hand(QStringLiteral(":/app/hand_mark.svg"))
        , m_word(QStringLiteral(":/app/word_mark.svg")) {
        setObjectName(QStringLiteral("resumeListLogo"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        m_fade.setEasingCurve(QEasingCurve::InOutQuad);
        connect(&m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
            m_level = v.toReal();
            update();
        });
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }

    void setAvailableWidth(qreal width) {
        m_width = width;
        applyHeight();
    }

    // The header's full height at the current width.
    qreal naturalHeight() const { return topPadding() + handSize().height() + 5 + wordSize().height() + 20; }

    // Shrinks the whole header (logo and paddings) about its top centre; 1 is full size.
    void setScale(qreal scale) {
        if (qFuzzyCompare(scale, m_scale))
            return;
        m_scale = scale;
        applyHeight();
    }
    qreal scale() const { return m_scale; }

    void setLight(bool light) {
        m_light = light;
        update();
    }

    void reveal(bool animated) {
        if (!animated) {
            m_fade.stop();
            m_level = 1;
            update();
            return;
        }
        m_fade.setStartValue(m_level);
        m_fade.setEndValue(1.0);
        m_fade.setDuration(2000);
        m_fade.start();
    }

    qreal level() const { return m_level; }

protected:
    void paintEvent(QPaintEvent*) override {
        if (m_level <= 0)
            return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.setOpacity(m_level);
        p.translate(width() / 2.0, 0);
        p.scale(m_scale, m_scale);
        p.translate(-width() / 2.0, 0);
        const qreal top = topPadding();
        const QSizeF hand = handSize();
        const QSizeF word = wordSize();
        p.drawImage(QPointF((width() - hand.width()) / 2, top), tinted(m_hand, hand));
        p.drawImage(QPointF((width() - word.width()) / 2, top + hand.height() + 5), tinted(m_word, word));
    }

private:
    void applyHeight() {
        setFixedHeight(int(std::ceil(naturalHeight() * m_scale)));
        update();
    }
    qreal topPadding() const {
        return m_pad ? std::max<qreal>(40, 28 + 36 * responsiveScale(m_width, 1065)) : 0;
    }
    QSizeF handSize() const {
        const qreal w = 170 + 70 * cardScale(m_width);
        return {w, w * m_hand.defaultSize().height() / std::max(1, m_hand.defaultSize().width())};
    }
    QSizeF wordSize() const {
        const qreal w = 140 + 50 * cardScale(m_width);
        return {w, w * m_word.defaultSize().height() / std::max(1, m_word.defaultSize().width())};
    }
    QImage tinted(QSvgRenderer& renderer, QSizeF size) const {
        const qreal dpr = devicePixelRatioF();
        QImage image((size * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        renderer.render(&p, QRectF(QPointF(0, 0), size));
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(QRectF(QPointF(0, 0), size), schemeColors::ink(m_light));
        return image;
    }

    bool m_pad;
    qreal m_width = 800;
    qreal m_scale = 1;
    bool m_light = true;
    qreal m_level = 0;
    QSvgRenderer m_hand;
    QSvgRenderer m_word;
    QVariantAnimation m_fade;
};

// A round button of the bottom bar: a thin circle in the ink colour around a symbol.
class CircleIconButton final : public QAbstractButton {
public:
    CircleIconButton(const QString& systemName, QWidget* parent)
        : QAbstractButton(parent)
        , m_systemName(systemName) {
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
    }

    void setAvailableWidth(qreal width) {
        m_t = cardScale(width);
        setFixedSize(QSize(int(std::ceil(diameter())) + 2, int(std::ceil(diameter())) + 2));
        update();
    }
    void setLight(bool light) {
        m_light = light;
        m_icon = symbolIcon(m_systemName, schemeColors::ink(light));
        update();
    }
    qreal diameter() const { return 42 + 12 * m_t; }
    qreal iconSize() const { return 18 + 6 * m_t; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF circle(QPointF(1, 1), QSizeF(diameter(), diameter()));
        if (isDown() || underMouse())
            p.setBrush(withAlpha(schemeColors::ink(m_light), isDown() ? 0.16 : 0.08));
        p.setPen(QPen(schemeColors::ink(m_light), 1));
        p.drawEllipse(circle.adjusted(0.5, 0.5, -0.5, -0.5));
        if (hasFocus()) {
            p.setPen(QPen(withAlpha(accentColor(m_light), 0.8), 2));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(circle.adjusted(2, 2, -2, -2));
        }
        const qreal side = iconSize();
        m_icon.paint(&p, QRectF(circle.center() - QPointF(side / 2, side / 2), QSizeF(side, side)).toRect());
    }

private:
    QString m_systemName;
    QIcon m_icon;
    qreal m_t = 0;
    bool m_light = true;
};

// Holds the list and, on idioms other than pad, draws the rounded outline around it.
class ListFrame final : public QWidget {
public:
    ListFrame(bool outlined, QWidget* parent)
        : QWidget(parent)
        , m_outlined(outlined) {}
    void setLight(bool light) {
        m_light = light;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!m_outlined)
            return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(withAlpha(schemeColors::ink(m_light), m_light ? 0.45 : 0.3), 1.2, Qt::SolidLine,
                      Qt::FlatCap, Qt::MiterJoin));
        p.drawRoundedRect(QRectF(rect()).adjusted(0.6, 0.6, -0.6, -0.6), 16, 16);
    }

private:
    bool m_outlined;
    bool m_light = true;
};

// The key prompt: a text field for the key with Save and Cancel. The field shows its text only
// while it has the focus.
class OpenAIKeyPrompt final : public QDialog {
public:
    OpenAIKeyPrompt(const QString& draft, QWidget* parent)
        : QDialog(parent) {
        setObjectName(QStringLiteral("openAIKeyPrompt"));
        setWindowTitle(QStringLiteral("Add OpenAI API Key"));
        setModal(true);
        auto* layout = new QVBoxLayout(this);
        auto* title = new QLabel(QStringLiteral("Add OpenAI API Key"), this);
        QFont titleFont = title->font();
        titleFont.setPixelSize(17);
        titleFont.setWeight(QFont::DemiBold);
        title->setFont(titleFont);
        title->setAlignment(Qt::AlignCenter);
        auto* message = new QLabel(
            QStringLiteral("Your key is stored on this device and will be used for all AI features."), this);
        message->setObjectName(QStringLiteral("openAIKeyPromptMessage"));
        message->setWordWrap(true);
        message->setAlignment(Qt::AlignCenter);
        m_field = new QLineEdit(this);
        m_field->setObjectName(QStringLiteral("openAIKeyField"));
        m_field->setPlaceholderText(QStringLiteral("sk-..."));
        m_field->setText(draft);
        m_field->setEchoMode(QLineEdit::Password);
        m_field->setInputMethodHints(Qt::ImhNoAutoUppercase | Qt::ImhNoPredictiveText | Qt::ImhSensitiveData);
        m_field->installEventFilter(this);
        auto* buttons = new QHBoxLayout;
        auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
        cancel->setObjectName(QStringLiteral("openAIKeyCancelButton"));
        auto* save = new QPushButton(QStringLiteral("Save"), this);
        save->setObjectName(QStringLiteral("openAIKeySaveButton"));
        save->setDefault(true);
        buttons->addWidget(cancel);
        buttons->addWidget(save);
        layout->addWidget(title);
        layout->addWidget(message);
        layout->addWidget(m_field);
        layout->addLayout(buttons);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
        connect(save, &QPushButton::clicked, this, &QDialog::accept);
        m_field->setMinimumWidth(340);
    }

    QLineEdit* field() const { return m_field; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_field && event->type() == QEvent::FocusIn)
            m_field->setEchoMode(QLineEdit::Normal);
        else if (watched == m_field && event->type() == QEvent::FocusOut)
            m_field->setEchoMode(QLineEdit::Password);
        return QDialog::eventFilter(watched, event);
    }

private:
    QLineEdit* m_field;
};

// The key button of the main help sheet: "Add …" without a stored key, "Remove …" with one.
void refreshOpenAIKeyButton(QPushButton* button, const Settings& settings) {
    const bool present = !settings.openAIAPIKey().trimmed().isEmpty();
    const QString label =
        present ? QStringLiteral("Remove OpenAI API Key") : QStringLiteral("Add OpenAI API Key");
    button->setText(label);
    button->setAccessibleName(label);
    button->setAccessibleDescription(present ? QStringLiteral("Removes the stored OpenAI API key")
                                             : QStringLiteral("Stores your OpenAI API key on this device"));
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
    m_listView->setAccessibleName(QStringLiteral("Résumés"));
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
    connect(m_listView, &QListView::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QModelIndex index = m_listView->indexAt(pos);
        if (!index.isValid())
            return;
        QMenu* menu = contextMenuFor(index, this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(m_listView->viewport()->mapToGlobal(pos));
    });

    // The keyboard's ways to the card actions, on the current card.
    const auto addKeyAction = [this](const QString& name, const QKeySequence& keys, auto handler) {
        auto* action = new QAction(this);
        action->setObjectName(name);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, handler);
        m_listView->addAction(action);
        return action;
    };
    addKeyAction(duplicateIdentifierPrefix, QKeySequence(Qt::CTRL | Qt::Key_D), [this] {
        if (auto resume = currentResume())
            duplicateAction(resume);
    });
    addKeyAction(deleteIdentifierPrefix, QKeySequence(QKeySequence::Delete), [this] {
        if (auto resume = currentResume())
            requestDeletion(resume);
    });
    auto* open = addKeyAction(QStringLiteral("openResumeAction"), QKeySequence(Qt::Key_Return), [this] {
        if (auto resume = currentResume())
            selectResume(resume);
    });
    open->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});

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
        const char* label;
        const char* hint;
        const char* identifier;
        void (ResumeListView::*action)();
    };
    const BarButton entries[] = {
        {"questionmark", "Help", "Shows help for the main interface", "resumeListHelpButton",
         &ResumeListView::openHelp},
        {"paintbrush.pointed.fill", "Choose background", "Opens the background picker",
         "resumeListBackgroundButton", &ResumeListView::openBackgroundPicker},
        {"plus", "Add resume", "Creates a new resume", "addResumeButton", &ResumeListView::createNewResume},
    };
    bool first = true;
    for (const BarButton& entry : entries) {
        if (!first)
            layout->addStretch(1);
        first = false;
        auto* button = new CircleIconButton(QString::fromUtf8(entry.symbol), bar);
        button->setAccessibleName(QString::fromUtf8(entry.label));
        button->setAccessibleDescription(QString::fromUtf8(entry.hint));
        button->setObjectName(QString::fromUtf8(entry.identifier));
        button->setToolTip(QString::fromUtf8(entry.label));
        connect(button, &QAbstractButton::clicked, this, entry.action);
        layout->addWidget(button);
        m_circleButtons.append(button);
    }
    return bar;
}

QList<HelpGroup> ResumeListView::mainInterfaceHelpContent() {
    return {
        {QStringLiteral("RÉSUMÉ LIST"),
         {QStringLiteral("Résumés are sorted by most recently edited"),
          QStringLiteral("Tap a résumé to open and edit it")}},
        {QStringLiteral("QUICK GESTURES"),
         {QStringLiteral("Swipe right to duplicate a résumé"),
          QStringLiteral("Swipe left to delete a résumé")}},
        {QStringLiteral("CREATE NEW RÉSUMÉ"),
         {QStringLiteral("Tap the + button to create a new résumé"),
          QStringLiteral("The new résumé appears and is ready to edit")}},
        {QStringLiteral("BACKGROUND AND THEME"),
         {QStringLiteral("Tap the paintbrush to change the background theme")}},
        {QStringLiteral("OPENAI KEY"),
         {QStringLiteral("Add your own OpenAI API key to use OpenAI instead of Apple Intelligence"),
          QStringLiteral("Your key is stored on this device and used only for Quillora AI tools"),
          QStringLiteral("Remove the key anytime to switch back to Apple Intelligence")}},
    };
}

QString ResumeListView::deleteAlertMessage(const QString& title) {
    return QStringLiteral("Are you sure you want to delete “") + title + QStringLiteral("”?");
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
                                      QStringLiteral("Duplicate\tCtrl+D"));
    duplicate->setObjectName(duplicateIdentifierPrefix + id);
    connect(duplicate, &QAction::triggered, this, [this, weak] {
        if (auto r = weak.lock(); r && !r->isDeleted())
            duplicateAction(r);
    });
    auto* remove = menu->addAction(symbolIcon(QStringLiteral("trash"), destructiveColor(light)),
                                   QStringLiteral("Delete\tDel"));
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
        m_services.events().postSelectResume(resume);
        return;
    }
    m_selectedResume = resume;
    openEditorSheet();
}

void ResumeListView::openEditorSheet() {
    QDialog sheet(this);
    sheet.setObjectName(QStringLiteral("resumeEditorSheet"));
    sheet.resize(820, 760);
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
    QPushButton* deleteButton = alert.addButton(QStringLiteral("Delete"), QMessageBox::DestructiveRole);
    deleteButton->setObjectName(QStringLiteral("confirmDeleteResumeButton"));
    QPushButton* cancelButton = alert.addButton(QMessageBox::Cancel);
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
    m_context.deleteRecord(resume);
    if (auto saved = m_context.save(); !saved)
        logLine(QStringLiteral("⚠️ Failed to save after deleting resume: ") + saved.error());
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
}

void ResumeListView::openHelp() {
    m_showHelp = true;
    QDialog* sheet = makeHelpSheet(m_services.appearance(), QStringLiteral("Main Interface Help"),
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
        m_tip->hide();
        m_tip->deleteLater();
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
