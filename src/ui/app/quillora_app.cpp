#include "app/quillora_app.h"

#include "platform/log.h"
#include "store/model_container.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QMainWindow>
#include <QStandardPaths>

namespace quillora {

int runQuillora(QApplication& app)
{
    QApplication::setOrganizationName(QStringLiteral("Quillora"));
    QApplication::setApplicationName(QStringLiteral("Quillora"));

    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                        QStringLiteral("/QuilloraStore");
    QDir().mkpath(dir);
    auto container = ModelContainer::open(dir + QStringLiteral("/default.store"));
    if (!container) {
        logLine(QStringLiteral("SwiftData ModelContainer failed: ") + container.error());
        return 1;
    }
    auto resumes = (*container)->mainContext().fetchResumes();

    QMainWindow window;
    auto* list = new QListWidget(&window);
    list->setObjectName(QStringLiteral("resumeList"));
    if (resumes) {
        for (const auto& resume : *resumes)
            list->addItem(resume->title());
    }
    window.setCentralWidget(list);
    window.resize(1100, 760);
    window.show();
    const int code = app.exec();
    (void)(*container)->mainContext().save();
    return code;
}

} // namespace quillora
