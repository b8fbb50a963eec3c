#pragma once

#include <QWidget>

namespace quillora {

class Services;

class CatalystHelpView;

// The app's Help window: a top-level window titled "Quillora Help" of a fixed 860 by 700 (or the
// screen's available area, where that is smaller; the page then scrolls) whose whole content is
// the help page. The app keeps one and raises it when Help is asked for again.
class HelpWindow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HelpWindow)

public:
    explicit HelpWindow(Services& services, QWidget* parent = nullptr);
    ~HelpWindow() override;

    CatalystHelpView* view() const { return m_view; }

private:
    CatalystHelpView* m_view;
};

} // namespace quillora
