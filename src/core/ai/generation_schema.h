#pragma once

#include "platform/result.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <memory>

namespace quillora {

// The description of a structured answer that both AI backends fill: the on-device model is
// asked for a value of this form, and every answer, from either backend, is read back through
// the one strict decoder below. Field names are at once the JSON member names and the schema's
// property names.
class GenerationSchema final {
public:
    enum class Type { string, integer, array, object };

    struct Property {
        QString name;
        QString description; // empty: none
        bool optional = false;
        std::shared_ptr<const GenerationSchema> schema;
    };

    static std::shared_ptr<const GenerationSchema> string();
    static std::shared_ptr<const GenerationSchema> integer();
    static std::shared_ptr<const GenerationSchema> arrayOf(std::shared_ptr<const GenerationSchema> items);
    // An object named after its type, properties in declaration order.
    static std::shared_ptr<const GenerationSchema> object(QString name, QList<Property> properties);

    Type type() const { return m_type; }
    QString name() const { return m_name; }
    const QList<Property>& properties() const { return m_properties; }
    const GenerationSchema* items() const { return m_items.get(); }

    // The schema as JSON Schema text, properties in declaration order, every non-optional
    // property required and no others allowed: what a local model server is given as its
    // response format.
    QByteArray toJSONSchema() const;

    // True when `value` has this form: every required member present and not null, every
    // member of the right JSON type (an integer is a number without a fractional part);
    // members not described are ignored, an optional member may be missing or null.
    bool accepts(const QJsonValue& value) const;

private:
    GenerationSchema() = default;
    bool acceptsAt(const QJsonValue& value, int depth) const;

    Type m_type = Type::string;
    QString m_name;
    QList<Property> m_properties;
    std::shared_ptr<const GenerationSchema> m_items;
};

// Strictly decodes the UTF-8 bytes of one JSON object of `schema`'s form. On success gives
// the object (every member checked); otherwise a decoding error.
Result<QJsonObject> decodeStrictly(const GenerationSchema& schema, const QByteArray& json);

// A structured answer type T provides:
//   static std::shared_ptr<const GenerationSchema> schema();
//   static T fromValidated(const QJsonObject&);   // only ever given an accepted object
template <typename T> Result<T> decodeGenerated(const QByteArray& json) {
    Result<QJsonObject> object = decodeStrictly(*T::schema(), json);
    if (!object)
        return object.errorInfo();
    return T::fromValidated(object.value());
}

} // namespace quillora
