#pragma once

#include "model/resume.h"

#include <QPointer>
#include <QWidget>

class QStackedLayout;

namespace quillora {

class ModelContext;
class Services;
class ResumeListView;
class ResumeTipView;

// How the main content is arranged: the split view of list and detail on the desktop (the pad
// idiom), or the list alone.
enum class UserInterfaceIdiom { pad, other };

// The navigation root of the main window: the résumé list beside the detail column, with the
// intro logo overlay over both.
class ContentView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ContentView)

public:
    // The services must hold a store.
    ContentView(Services& services, UserInterfaceIdiom idiom, QWidget* parent = nullptr);

    UserInterfaceIdiom idiom() const { return m_idiom; }
    ResumePtr selectedResume() const { return m_selectedResume; }
    // The widget the detail column shows now (the placeholder or the résumé's screen).
    QWidget* detailWidget() const;
    QWidget* introOverlay() const { return m_intro.data(); }
    ResumeListView* resumeList() const { return m_list; }
    // The welcome tip over the detail column (pad idiom), while it is shown.
    ResumeTipView* tipView() const;
    bool shouldShowTip() const { return m_shouldShowTip; }

    // The app goes to the background: the open editor saves its résumé.
    void willEnterBackground();

    // Handler of "QuilloraSelectResume": selects the object when it is a résumé.
    void receiveSelectResumeNotification(const std::shared_ptr<QObject>& object);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showDetail();
    void placeTip();
    void updatePlaceholderCover();
    void resumeDeleted(const ResumePtr& resume);

    Services& m_services;
    ModelContext& m_context;
    UserInterfaceIdiom m_idiom;
    ResumePtr m_selectedResume;
    ResumeListView* m_list = nullptr;
    QWidget* m_detailColumn = nullptr;
    QStackedLayout* m_detailStack = nullptr;
    QPointer<ResumeTipView> m_tip;
    // A dismissed tip while it fades out; the placeholder's card fades in as it goes.
    QPointer<ResumeTipView> m_leavingTip;
    bool m_shouldShowTip = true;
    QPointer<QWidget> m_detail;
    QPointer<QWidget> m_intro;
    bool m_introStarted = false;
};

} // namespace quillora
