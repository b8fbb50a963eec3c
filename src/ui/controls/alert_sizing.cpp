#include "controls/alert_sizing.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

#include <algorithm>

namespace quillora {

void fitAlertToTexts(QMessageBox& alert, int maximumWidth) {
    auto* grid = qobject_cast<QGridLayout*>(alert.layout());
    if (grid == nullptr)
        return;
    // The title bar shows the title (and the application's name after it) between the window
    // manager's buttons; leave room for both.
    const QFontMetrics titleMetrics(QApplication::font("QMdiSubWindowTitleBar"));
    QString shownTitle = alert.windowTitle();
    if (!QGuiApplication::applicationDisplayName().isEmpty() &&
        !shownTitle.endsWith(QGuiApplication::applicationDisplayName()))
        shownTitle += QStringLiteral(" \u2014 ") + QGuiApplication::applicationDisplayName();
    const int titleWidth = titleMetrics.horizontalAdvance(shownTitle) + 160;
    // The texts: as wide as their longest line up to the measure, so short texts do not wrap.
    const QFontMetrics textMetrics(alert.font());
    int textWidth = 0;
    for (const QString& text : {alert.text(), alert.informativeText()}) {
        for (const QString& line : text.split(QLatin1Char('\n')))
            textWidth = std::max(textWidth, textMetrics.horizontalAdvance(line));
    }
    const int iconAndMargins = 120;
    const int width = std::min(maximumWidth, std::max(titleWidth, textWidth + iconAndMargins));
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), grid->rowCount(),
                  0, 1, grid->columnCount());
}

} // namespace quillora
