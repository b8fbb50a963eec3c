#include "app/quillora_app.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    return quillora::runQuillora(app);
}
