#include "app/content_view.h"

#include "app/empty_resume_view.h"
#include "app/intro_overlay.h"
#include "app/resume_card_list.h"
#include "app/resume_list_view.h"
#include "app/resume_tip_view.h"
#include "app/services.h"
#include "controls/accessibility_traits.h"
#include "controls/frosted_card.h"
#include "controls/hairline_splitter.h"
#include "controls/quiet_screen_change.h"
#include "editor/resume_editor_view.h"
#include "platform/app_events.h"
#include "platform/appearance.h"
#include "store/app_store.h"
#include "store/model_context.h"
#include "theme/scheme_colors.h"
#include "theme/themed_background.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QSplitter>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace quillora {

ContentView::ContentView(Services& services, UserInterfaceIdiom idiom, QWidget* parent)
    : QWidget(parent)
    , m_services(services)
    , m_context(services.context())
    , m_idiom(idiom) {
    setObjectName(QStringLiteral("contentView"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    if (m_idiom == UserInterfaceIdiom::pad) {
        auto* split = new HairlineSplitter(Qt::Horizontal, this);
        split->setObjectName(QStringLiteral("splitView"));
        // The column divider is a hairline in the list's separator ink.
        Appearance* appearance = &m_services.appearance();
        const auto applyDividerColor = [split, appearance] {
            const bool light = appearance->isLight();
            split->setLineColor(withAlpha(schemeColors::ink(light), light ? 0.35 : 0.18));
        };
        applyDividerColor();
        connect(appearance, &Appearance::changed, split, applyDividerColor);
        split->setChildrenCollapsible(false);
        m_list = new ResumeListView(m_services, m_idiom, split);
        m_list->setMinimumWidth(280);
        auto* detailColumn = new QWidget(split);
        detailColumn->setObjectName(QStringLiteral("detailColumn"));
        m_detailColumn = detailColumn;
        m_detailStack = new QStackedLayout(detailColumn);
        split->addWidget(m_list);
        split->addWidget(detailColumn);
        split->setStretchFactor(0, 0);
        split->setStretchFactor(1, 1);
        split->setSizes({320, 780});
        layout->addWidget(split);
        showDetail();
        // The welcome tip lies over whatever the detail column shows until it is done.
        m_tip = new ResumeTipView(m_services.appearance(), detailColumn);
        m_tip->setShowLogo(true);
        connect(m_tip, &ResumeTipView::dismissed, this, [this] {
            m_shouldShowTip = false;
            if (m_tip) {
                m_leavingTip = m_tip;
                m_tip->leave();
                m_tip = nullptr;
            }
            updatePlaceholderCover();
        });
        // Where the tip lies over the placeholder, the placeholder's card gives way to it.
        connect(m_tip, &ResumeTipView::visibleOpacityChanged, this, &ContentView::updatePlaceholderCover);
        detailColumn->installEventFilter(this);
        placeTip();
        connect(&m_services.events(), &AppEvents::selectResume, this,
                &ContentView::receiveSelectResumeNotification);
        connect(&m_context, &ModelContext::resumeDeleted, this, &ContentView::resumeDeleted);
    } else {
        m_list = new ResumeListView(m_services, m_idiom, this);
        layout->addWidget(m_list);
    }

    if (!isRunningForPreviews()) {
        m_intro = new IntroLogoOverlay(m_services.appearance(), this, m_idiom);
        m_intro->raise();
        hideFromAccessibility(m_intro); // a picture only, over the window while it plays
    }
}

QWidget* ContentView::detailWidget() const {
    return m_detail.data();
}

ResumeTipView* ContentView::tipView() const {
    return m_tip.data();
}

void ContentView::placeTip() {
    if (!m_tip || m_detailColumn == nullptr)
        return;
    const QRect column = m_detailColumn->rect();
    // A column wider than high keeps the tip 120 points from each edge where the card fits.
    m_tip->setPreferredInset(column.width() > column.height() ? 120 : 0);
    m_tip->setGeometry(column);
    m_tip->raise();
}

bool ContentView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_detailColumn && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        placeTip();
    return QWidget::eventFilter(watched, event);
}

void ContentView::receiveSelectResumeNotification(const std::shared_ptr<QObject>& object) {
    auto resume = std::dynamic_pointer_cast<Resume>(object);
    if (!resume || resume->isDeleted())
        return;
    m_selectedResume = resume;
    showDetail();
}

void ContentView::willEnterBackground() {
    if (auto* editor = qobject_cast<ResumeEditorView*>(m_detail.data()))
        editor->saveOnBackground();
    if (m_list)
        m_list->willEnterBackground();
}

void ContentView::resumeDeleted(const ResumePtr& resume) {
    // A deleted résumé must not stay on screen, nor be written to again.
    if (m_selectedResume && m_selectedResume == resume) {
        m_selectedResume.reset();
        showDetail();
    }
}

void ContentView::showDetail() {
    if (m_detailStack == nullptr)
        return;
    // The résumé's editor comes in and the screen before it goes at once: a screen reader hears of
    // each once, not of each of their widgets.
    QuietScreenChange quiet;
    quiet.add(m_detail);
    QWidget* next = m_selectedResume
                        ? static_cast<QWidget*>(new ResumeEditorView(m_selectedResume, m_services, this))
                        : new ThemedEmptyResumeView(m_services, this);
    quiet.add(next);
    m_detailStack->addWidget(next);
    m_detailStack->setCurrentWidget(next);
    if (m_detail)
        m_detail->deleteLater();
    m_detail = next;
    if (m_tip) {
        m_tip->raise();
        m_tip->setCoversContent(m_selectedResume != nullptr);
    }
    updatePlaceholderCover();
    // The list marks the résumé the detail column shows.
    if (m_list != nullptr) {
        if (auto* cards = qobject_cast<ResumeCardList*>(m_list->listView()))
            cards->setOpenResume(m_selectedResume);
    }
}

void ContentView::updatePlaceholderCover() {
    if (auto* placeholder = qobject_cast<ThemedEmptyResumeView*>(m_detail.data())) {
        const ResumeTipView* tip = m_tip ? m_tip.data() : m_leavingTip.data();
        placeholder->setCoveredBy(tip && !tip->isHidden() ? tip->visibleOpacity() : 0.0);
    }
}

void ContentView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_intro)
        m_intro->setGeometry(rect());
}

void ContentView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (auto* intro = qobject_cast<IntroLogoOverlay*>(m_intro.data())) {
        intro->setGeometry(rect());
        intro->raise();
        intro->startIntroLogoFade();
    }
}

} // namespace quillora
