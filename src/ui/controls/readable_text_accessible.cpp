#include "controls/readable_text_accessible.h"

#include "controls/accessibility_traits.h"
#include "controls/readable_text.h"
#include "controls/text_pieces.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QDateTime>
#include <QLabel>
#include <QMap>
#include <QPointer>

#include <algorithm>
#include <cstdio>

namespace quillora {

namespace {

constexpr const char* documentProperty = "_quillora_readingDocument";
constexpr const char* caretProperty = "_quillora_readingCaret";
constexpr const char* levelProperty = "_quillora_readingHeadingLevel";

ReadableDocument* documentOf(const QWidget* text) {
    return qobject_cast<ReadableDocument*>(text->property(documentProperty).value<QObject*>());
}

QString shownText(const QWidget* text) {
    if (const auto* label = qobject_cast<const QLabel*>(text))
        return label->text();
    return text->accessibleName();
}

void installReadingFlow();

class DocumentTextAccessible final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit DocumentTextAccessible(QWidget* text)
        : QAccessibleWidget(text, QAccessible::StaticText) {
        installReadingFlow();
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // A section title is a heading; every other text is read as a label is, by its words.
    QAccessible::Role role() const override {
        return isAccessibleHeading(widget()) ? QAccessible::Heading : QAccessible::StaticText;
    }

    QString text(QAccessible::Text type) const override {
        if (type == QAccessible::Name && widget()->accessibleName().isEmpty())
            return shownText(widget());
        return QAccessibleWidget::text(type);
    }

    void doAction(const QString& name) override {
        if (name == setFocusAction()) {
            if (isBlockedByModal(widget()))
                return;
            // Focus moved by a screen reader lands as a click would put it: in an active window.
            widget()->window()->activateWindow();
            widget()->setFocus(Qt::OtherFocusReason);
            return;
        }
        QAccessibleWidget::doAction(name);
    }

    // Nothing is selected through the reader: the mouse selects in the text itself.
    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}

    int cursorPosition() const override { return documentTextCaret(widget()); }
    // A reader that places the caret (where its reading of the whole document stopped) places the
    // reading there: the text takes the focus, so the keys and Tab go on from it.
    void setCursorPosition(int position) override {
        QWidget* text = widget();
        setDocumentTextCaret(text, position, true);
        if (!text->hasFocus() && text->isVisible() && text->window()->isActiveWindow() &&
            !isBlockedByModal(text))
            text->setFocus(Qt::OtherFocusReason);
    }

    QString text(int startOffset, int endOffset) const override {
        const QString all = shownText(widget());
        if (endOffset < 0 || endOffset > all.size())
            endOffset = int(all.size());
        startOffset = std::clamp(startOffset, 0, endOffset);
        return all.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(shownText(widget()).size()); }

    // The piece of the kind at `offset`, the one before it and the one after it. (Qt's own answers
    // never end for some offsets at the end of a text.)
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                         int* endOffset) const override {
        return piece(offset, type, 0, startOffset, endOffset);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                             int* endOffset) const override {
        return piece(offset, type, -1, startOffset, endOffset);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                            int* endOffset) const override {
        return piece(offset, type, 1, startOffset, endOffset);
    }

    QString piece(int offset, QAccessible::TextBoundaryType type, int step, int* startOffset,
                  int* endOffset) const {
        if (offset == -2) // the caret
            offset = cursorPosition();
        return accessibleTextPiece(shownText(widget()), offset, type, step, startOffset, endOffset);
    }

    // The text's box stands for each of its characters: a reader that asks follows the text.
    QRect characterRect(int) const override { return rect(); }
    int offsetAtPoint(const QPoint& point) const override { return rect().contains(point) ? 0 : -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = characterCount();
        Q_UNUSED(offset);
        return {};
    }
};

// Qt 6.4's bridge carries only the label and controller relations to a screen reader, not the
// flow of a text into the next one, which Orca follows to read on through a document (Say All),
// and no attributes (a heading's level). The bridge's handler of the accessibility bus is wrapped:
// it answers a document text's relations itself (the text after it and the one before), and a
// heading's attributes, and hands every other call on to Qt's.
struct FlowTarget {
    QString service;
    QDBusObjectPath path;
};
struct FlowRelation {
    uint type = 0;
    QList<FlowTarget> targets;
};

QDBusArgument& operator<<(QDBusArgument& argument, const FlowTarget& target) {
    argument.beginStructure();
    argument << target.service << target.path;
    argument.endStructure();
    return argument;
}
const QDBusArgument& operator>>(const QDBusArgument& argument, FlowTarget& target) {
    argument.beginStructure();
    argument >> target.service >> target.path;
    argument.endStructure();
    return argument;
}
QDBusArgument& operator<<(QDBusArgument& argument, const FlowRelation& relation) {
    argument.beginStructure();
    argument << relation.type << relation.targets;
    argument.endStructure();
    return argument;
}
const QDBusArgument& operator>>(const QDBusArgument& argument, FlowRelation& relation) {
    argument.beginStructure();
    argument >> relation.type >> relation.targets;
    argument.endStructure();
    return argument;
}

} // namespace

} // namespace quillora

Q_DECLARE_METATYPE(quillora::FlowTarget)
Q_DECLARE_METATYPE(quillora::FlowRelation)

namespace quillora {

namespace {

const QString accessiblePath = QStringLiteral("/org/a11y/atspi/accessible");
// AT-SPI's relation types.
constexpr uint flowsTo = 10;
constexpr uint flowsFrom = 11;

// When a reader last asked about an element.
qint64 g_lastAskedAt = 0;

class ReadingFlow final : public QDBusVirtualObject {
public:
    ReadingFlow(QDBusVirtualObject* bridge, QObject* parent)
        : QDBusVirtualObject(parent)
        , m_bridge(bridge) {}

    QString introspect(const QString& path) const override {
        return m_bridge ? m_bridge->introspect(path) : QString();
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        // A reader asks about the application's root to see it is there; about an element, as it
        // works through the events it has queued.
        if (!message.path().endsWith(QLatin1String("/root")))
            g_lastAskedAt = QDateTime::currentMSecsSinceEpoch();
        if (message.interface() == QLatin1String("org.a11y.atspi.Accessible")) {
            if (message.member() == QLatin1String("GetRelationSet"))
                if (QWidget* text = textAt(message.path())) {
                    connection.send(message.createReply(QVariant::fromValue(relationsOf(text, connection))));
                    return true;
                }
            if (message.member() == QLatin1String("GetAttributes"))
                if (QWidget* text = textAt(message.path());
                    text && isAccessibleHeading(text) && text->property(levelProperty).toInt() > 0) {
                    const QMap<QString, QString> attributes{
                        {QStringLiteral("level"), QString::number(text->property(levelProperty).toInt())}};
                    connection.send(message.createReply(QVariant::fromValue(attributes)));
                    return true;
                }
        }
        return m_bridge && m_bridge->handleMessage(message, connection);
    }

private:
    static QWidget* textAt(const QString& path) {
        if (!path.startsWith(accessiblePath + u'/'))
            return nullptr;
        bool number = false;
        const QAccessible::Id id = path.mid(accessiblePath.size() + 1).toUInt(&number);
        QAccessibleInterface* iface = number ? QAccessible::accessibleInterface(id) : nullptr;
        if (!iface || !iface->isValid() || !dynamic_cast<DocumentTextAccessible*>(iface))
            return nullptr;
        return static_cast<QWidget*>(iface->object());
    }

    static QList<FlowRelation> relationsOf(QWidget* text, const QDBusConnection& connection) {
        QList<FlowRelation> relations;
        const ReadableDocument* document = documentOf(text);
        if (!document)
            return relations;
        for (const auto& [type, step] : {std::pair{flowsTo, 1}, std::pair{flowsFrom, -1}}) {
            QWidget* other = document->readOnFrom(text, step);
            QAccessibleInterface* iface = other ? QAccessible::queryAccessibleInterface(other) : nullptr;
            if (!iface)
                continue;
            const QString path = accessiblePath + u'/' + QString::number(QAccessible::uniqueId(iface));
            relations << FlowRelation{type, {FlowTarget{connection.baseService(), QDBusObjectPath(path)}}};
        }
        return relations;
    }

    QPointer<QDBusVirtualObject> m_bridge;
};

// Wraps the bridge's handler once it serves the accessibility bus (the bridge starts when a
// reader first listens, before any of the widgets is asked for).
void installReadingFlow() {
    static bool installed = false;
    if (installed || !QAccessible::isActive())
        return;
    QDBusConnection bus(QStringLiteral("a11y"));
    if (!bus.isConnected())
        return;
    auto* bridge = qobject_cast<QDBusVirtualObject*>(bus.objectRegisteredAt(accessiblePath));
    if (!bridge || dynamic_cast<ReadingFlow*>(bridge))
        return;
    installed = true;
    qDBusRegisterMetaType<FlowTarget>();
    qDBusRegisterMetaType<FlowRelation>();
    qDBusRegisterMetaType<QList<FlowTarget>>();
    qDBusRegisterMetaType<QList<FlowRelation>>();
    qDBusRegisterMetaType<QMap<QString, QString>>();
    auto* flow = new ReadingFlow(bridge, bridge);
    bus.unregisterObject(accessiblePath, QDBusConnection::UnregisterTree);
    if (!bus.registerVirtualObject(accessiblePath, flow, QDBusConnection::SubPath)) {
        bus.registerVirtualObject(accessiblePath, bridge, QDBusConnection::SubPath);
        delete flow;
        std::printf("A screen reader reads the texts of a document one by one: the flow between them "
                    "could not be added.\n");
    }
}

} // namespace

void followScreenReaderRequests() {
    installReadingFlow();
}

qint64 screenReaderLastAskedAt() {
    return g_lastAskedAt;
}

void markAsDocumentText(QWidget* text, QObject* document) {
    const bool first = !isDocumentText(text);
    text->setProperty(documentProperty, QVariant::fromValue(document));
    if (!first)
        return;
    installAccessibilityTraits();
    // An interface made before (for a reader, for a heading's trait, or as the screen's order was
    // read) goes, so the next reader gets the text's.
    if (QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(text);
        iface && !dynamic_cast<DocumentTextAccessible*>(iface))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

bool isDocumentText(const QObject* object) {
    return object->property(documentProperty).isValid();
}

QAccessibleInterface* makeDocumentTextAccessible(QWidget* text) {
    return new DocumentTextAccessible(text);
}

void setDocumentHeadingLevel(QWidget* text, int level) {
    text->setProperty(levelProperty, level);
}

int documentTextCaret(const QWidget* text) {
    return std::clamp(text->property(caretProperty).toInt(), 0, int(shownText(text).size()));
}

void setDocumentTextCaret(QWidget* text, int position, bool quietly) {
    position = std::clamp(position, 0, int(shownText(text).size()));
    if (position == documentTextCaret(text) && text->property(caretProperty).isValid())
        return;
    text->setProperty(caretProperty, position);
    if (!quietly && text->hasFocus()) {
        QAccessibleTextCursorEvent moved(text, position);
        QAccessible::updateAccessibility(&moved);
    }
}

} // namespace quillora
