#include "help/help_window.h"

#include "controls/window_placement.h"
#include "help/catalyst_help_view.h"

#include <QVBoxLayout>

namespace quillora {

HelpWindow::HelpWindow(Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_view(new CatalystHelpView(services, this)) {
    setWindowTitle(QStringLiteral("Quillora Help"));
    setAccessibleName(QStringLiteral("Quillora Help"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    fitToAvailableGeometry(this, QSize(CatalystHelpView::viewWidth, CatalystHelpView::viewHeight),
                           WindowSizing::fixed);
    closeOnEscapeAndCloseKeys(this);
}

HelpWindow::~HelpWindow() = default;

} // namespace quillora
