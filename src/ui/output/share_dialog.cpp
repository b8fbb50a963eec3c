#include "output/share_dialog.h"

#include "controls/accessibility_traits.h"
#include "controls/focus_ring.h"
#include "controls/glass_capsule_button.h"
#include "controls/outcome.h"
#include "controls/readable_text.h"
#include "controls/symbol_icon.h"
#include "controls/window_placement.h"
#include "platform/appearance.h"
#include "platform/log.h"
#include "platform/safe_files.h"
#include "theme/hex_color.h"
#include "theme/scheme_colors.h"

#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

namespace quillora {

namespace {

QString quoted(const QString& text) {
    return QStringLiteral("“") + text + QStringLiteral("”");
}

// How long an opener runs before its wait is said.
constexpr int openingSaidAfterMs = 1000;

QString fileName(const QString& path) {
    return QFileInfo(path).fileName();
}

} // namespace

ShareDialog::Desktop ShareDialog::systemDesktop() {
    Desktop desktop;
    desktop.chooseSaveLocation = [](QWidget* parent, const QString& suggestedPath,
                                    std::function<void(const QString&)> chosen) {
        auto* dialog = new QFileDialog(parent, QStringLiteral("Save a Copy"), suggestedPath,
                                       QStringLiteral("PDF documents (*.pdf)"));
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setDefaultSuffix(QStringLiteral("pdf"));
        dialog->selectFile(suggestedPath);
        QObject::connect(dialog, &QFileDialog::fileSelected, dialog,
                         [chosen = std::move(chosen)](const QString& path) { chosen(path); });
        dialog->open();
    };
    return desktop;
}

ShareDialog::ShareDialog(const QStringList& files, Appearance& appearance, QWidget* parent, Desktop desktop)
    : QDialog(parent)
    , m_files(files)
    , m_appearance(&appearance)
    , m_desktop(std::move(desktop))
    , m_titleLabel(new QLabel(files.size() == 1 ? QStringLiteral("Your PDF is ready")
                                                : QStringLiteral("Your PDFs are ready"),
                              this))
    , m_list(new QListWidget(this))
    , m_status(new QLabel(this)) {
    setObjectName(QStringLiteral("shareDialog"));
    setWindowTitle(QStringLiteral("Share"));
    setWindowModality(Qt::WindowModal);

    m_titleLabel->setObjectName(QStringLiteral("shareDialogTitle"));
    m_titleLabel->setFont(systemFont(20, QFont::DemiBold));
    m_titleLabel->setTextFormat(Qt::PlainText);

    m_list->setObjectName(QStringLiteral("shareDialogFiles"));
    m_list->setAccessibleName(QStringLiteral("Files"));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setIconSize(QSize(28, 28));
    m_list->setFont(systemFont(15));
    m_list->setTextElideMode(Qt::ElideMiddle);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setStyleSheet(QStringLiteral("QListWidget { show-decoration-selected: 1; }"));
    for (const QString& file : m_files) {
        auto* item = new QListWidgetItem(fileName(file), m_list);
        item->setToolTip(file);
    }
    m_list->setCurrentRow(0);
    addFocusRing(m_list, appearance, 6);
    // The dialog opens on its files, the first one named, its title heard before them (after the
    // dialog's name); the title is a stop of its own too.
    makeReadable(m_titleLabel, &appearance);
    setWindowPurpose(this, m_titleLabel->text());
    m_list->setFocus(Qt::OtherFocusReason);
    const int rowHeight = std::max(m_list->sizeHintForRow(0), 32);
    m_list->setUniformItemSizes(true);
    m_list->setFixedHeight(rowHeight * int(std::clamp<qsizetype>(m_files.size(), 1, 4)) +
                           2 * m_list->frameWidth());

    m_status->setObjectName(QStringLiteral("shareDialogStatus"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);
    m_status->setFont(systemFont(13));
    m_status->setMinimumHeight(QFontMetrics(m_status->font()).lineSpacing() * 2);
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    markAsAccessibleStatus(m_status);

    struct Action {
        const char* name;
        QString text;
        QString hint;
        void (ShareDialog::*run)();
    };
    const Action actions[] = {
        {"shareOpenButton", QStringLiteral("Open"), QStringLiteral("Opens the PDF in your default viewer"),
         &ShareDialog::openFile},
        {"shareSaveCopyButton", QStringLiteral("Save a Copy…"),
         QStringLiteral("Saves a copy of the PDF elsewhere"), &ShareDialog::saveCopy},
        {"shareCopyPathButton", QStringLiteral("Copy Path"), QStringLiteral("Copies the PDF's location"),
         &ShareDialog::copyPath},
        {"shareShowInFolderButton", QStringLiteral("Show in Folder"),
         QStringLiteral("Opens the folder that holds the PDF"), &ShareDialog::showInFolder},
    };
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);
    int index = 0;
    for (const Action& action : actions) {
        auto* button = new GlassCapsuleButton(appearance, action.text, this);
        button->setObjectName(QLatin1String(action.name));
        button->setAccessibleName(action.text);
        button->setAccessibleDescription(action.hint);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, action.run);
        grid->addWidget(button, index / 2, index % 2);
        ++index;
    }

    auto* close = new GlassCapsuleButton(appearance, QStringLiteral("Close"), this);
    close->setMinimumWidth(120);
    close->setObjectName(QStringLiteral("shareCloseButton"));
    close->setAccessibleDescription(QStringLiteral("Closes this dialog"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 22, 24, 18);
    layout->setSpacing(14);
    layout->addWidget(m_titleLabel);
    layout->addWidget(m_list);
    layout->addLayout(grid);
    layout->addWidget(m_status);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(close);
    layout->addLayout(bottom);

    connect(&appearance, &Appearance::changed, this, &ShareDialog::applyScheme);
    applyScheme();
    fitToAvailableGeometry(this, QSize(std::max(sizeHint().width(), 460), sizeHint().height()));
}

ShareDialog::~ShareDialog() = default;

void ShareDialog::applyScheme() {
    const bool light = m_appearance->isLight();
    applySchemePalette(this, light);
    QPalette pal = m_list->palette();
    // Opaque fills: a translucent highlight is drawn over nothing and comes out glaring.
    const QColor base =
        blended(schemeColors::sheetBackground(light), schemeColors::primaryLabel(light), 0.06);
    pal.setColor(QPalette::Base, base);
    pal.setColor(QPalette::Text, schemeColors::primaryLabel(light));
    pal.setColor(QPalette::Highlight, blended(base, accentColor(light), 0.25));
    pal.setColor(QPalette::HighlightedText, schemeColors::primaryLabel(light));
    m_list->setPalette(pal);
    const QIcon icon = symbolIcon(QStringLiteral("doc.text"), accentColor(light));
    for (int row = 0; row < m_list->count(); ++row)
        m_list->item(row)->setIcon(icon);
    paintStatus();
}

void ShareDialog::setStatus(const QString& text, bool failure, bool say) {
    ++m_statusSerial;
    m_statusIsFailure = failure;
    m_status->setText(text);
    paintStatus();
    // A longer outcome (a long folder path, say) wraps onto more lines: the dialog grows to keep
    // its buttons whole, as far as the screen has room.
    if (QLayout* box = layout(); box && box->hasHeightForWidth()) {
        const int needed = box->totalHeightForWidth(width());
        if (needed > height())
            resize(width(), std::min(needed, std::max(height(), availableContentSize(this).height())));
    }
    if (say)
        announceOutcome(m_status, text);
}

void ShareDialog::paintStatus() {
    const bool light = m_appearance->isLight();
    QPalette pal = m_status->palette();
    pal.setColor(QPalette::WindowText,
                 m_statusIsFailure ? schemeColors::errorText(light) : schemeColors::secondaryLabel(light));
    m_status->setPalette(pal);
}

QString ShareDialog::statusText() const {
    return m_status->text();
}

QString ShareDialog::currentFile() const {
    const int row = m_list->currentRow();
    return m_files.value(row < 0 ? 0 : row);
}

QPushButton* ShareDialog::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

QString ShareDialog::openingText(const QString& name) {
    return QStringLiteral("Opening ") + quoted(name) + QStringLiteral("…");
}

QString ShareDialog::openedText(const QString& path) {
    return QStringLiteral("Opened ") + quoted(fileName(path)) + QStringLiteral(".");
}

QString ShareDialog::openFailedText(const QString& path) {
    return QStringLiteral("Nothing on this computer could open ") + quoted(fileName(path)) +
           QStringLiteral(". Copy Path still works: paste the path into the app you want to use.");
}

QString ShareDialog::folderOpenedText(const QString& folder) {
    return QStringLiteral("Opened the folder ") + quoted(folder) + QStringLiteral(".");
}

QString ShareDialog::folderOpenFailedText(const QString& folder) {
    return QStringLiteral("Nothing on this computer could open the folder ") + quoted(folder) +
           QStringLiteral(". Copy Path still works: paste the path into your file manager.");
}

void ShareDialog::openFile() {
    const QString file = currentFile();
    if (file.isEmpty())
        return;
    if (!QFileInfo::exists(file)) {
        setStatus(quoted(fileName(file)) + QStringLiteral(" is no longer there."), true);
        return;
    }
    runOpener(file, openingText(fileName(file)), openedText(file), openFailedText(file));
}

void ShareDialog::showInFolder() {
    const QString file = currentFile();
    if (file.isEmpty())
        return;
    const QString folder = QFileInfo(file).absolutePath();
    runOpener(folder, openingText(folder), folderOpenedText(folder), folderOpenFailedText(folder));
}

void ShareDialog::runOpener(const QString& location, const QString& openingStatus,
                            const QString& openedStatus, const QString& failedStatus) {
    // The outcome follows at once, as a rule: the wait is said only when it lasts.
    setStatus(openingStatus, false, false);
    const quint64 run = ++m_latestOpenerRun;
    const quint64 serial = m_statusSerial;
    QTimer::singleShot(openingSaidAfterMs, this, [this, serial, openingStatus] {
        if (serial == m_statusSerial)
            announceOutcome(m_status, openingStatus);
    });
    // The opener belongs to the application, not to the dialog: closing the dialog must not end
    // it, nor what it started. It writes to the app's own output, where its complaints are seen.
    auto* process = new QProcess(QCoreApplication::instance());
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    QPointer<ShareDialog> self(this);
    // An opener still running at the grace counts as opened; when it fails after all, the
    // failure replaces that.
    enum class Verdict { pending, openedWhileRunning, final };
    auto verdict = std::make_shared<Verdict>(Verdict::pending);
    const auto report = [self, run, serial, verdict, openedStatus, failedStatus,
                         location](bool opened, bool finished, const QString& why) {
        if (*verdict == Verdict::final || (opened && *verdict != Verdict::pending))
            return;
        *verdict = finished ? Verdict::final : Verdict::openedWhileRunning;
        if (!opened)
            logLine(QStringLiteral("⚠️ Could not open ") + location + QStringLiteral(": ") + why);
        // Only the latest run speaks; a success does not replace what another action said since.
        if (!self || run != self->m_latestOpenerRun || (opened && serial != self->m_statusSerial))
            return;
        self->setStatus(opened ? openedStatus : failedStatus, !opened);
    };
    connect(process, &QProcess::finished, process,
            [process, report](int exitCode, QProcess::ExitStatus status) {
                if (status != QProcess::NormalExit)
                    report(false, true,
                           QStringLiteral("the opener ") + process->program() + QStringLiteral(" crashed"));
                else if (exitCode != 0)
                    report(false, true,
                           QStringLiteral("the opener ") + process->program() +
                               QStringLiteral(" exited with status ") + QString::number(exitCode));
                else
                    report(true, true, {});
                process->deleteLater();
            });
    connect(process, &QProcess::errorOccurred, process, [process, report](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        report(false, true,
               QStringLiteral("the opener ") + process->program() +
                   QStringLiteral(" could not be started: ") + process->errorString());
        process->deleteLater();
    });
    QTimer::singleShot(m_desktop.openerGrace, process, [process, report] {
        if (process->state() == QProcess::Running)
            report(true, false, {});
    });
    process->start(m_desktop.opener, {location});
}

void ShareDialog::copyPath() {
    const QString file = currentFile();
    if (file.isEmpty())
        return;
    QGuiApplication::clipboard()->setText(file);
    setStatus(QStringLiteral("Copied ") + quoted(file) + QStringLiteral("."));
}

void ShareDialog::saveCopy() {
    const QString file = currentFile();
    if (file.isEmpty())
        return;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
    const QString suggested = folder + QLatin1Char('/') + fileName(file);
    QPointer<ShareDialog> self(this);
    m_desktop.chooseSaveLocation(this, suggested, [self](const QString& destination) {
        if (self && !destination.isEmpty())
            self->saveCopyTo(destination);
    });
}

bool ShareDialog::saveCopyTo(const QString& destination) {
    const QString source = currentFile();
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        setStatus(QStringLiteral("Could not read ") + quoted(fileName(source)) + QStringLiteral(": ") +
                      in.errorString(),
                  true);
        return false;
    }
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        setStatus(QStringLiteral("Could not read ") + quoted(fileName(source)) + QStringLiteral(": ") +
                      in.errorString(),
                  true);
        return false;
    }
    files::AtomicFileWriter writer(destination);
    Status status = writer.open();
    if (status && writer.device()->write(bytes) != bytes.size())
        status = Status::failure(ErrorKind::storage, writer.device()->errorString());
    if (status)
        status = writer.commit();
    if (!status) {
        setStatus(QStringLiteral("The copy could not be saved: ") + status.error(), true);
        return false;
    }
    setStatus(QStringLiteral("Saved a copy as ") + quoted(destination) + QStringLiteral("."));
    emit copySaved(destination);
    return true;
}

} // namespace quillora
