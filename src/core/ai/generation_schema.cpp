#include "ai/generation_schema.h"

#include "ai/json_text.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

namespace quillora {

namespace {

// Deeper answers are refused rather than walked (QJsonDocument itself stops at 1024).
constexpr int maximumDepth = 64;

void appendSchema(QByteArray& out, const GenerationSchema& schema) {
    switch (schema.type()) {
    case GenerationSchema::Type::string:
        out.append("{\"type\":\"string\"}");
        return;
    case GenerationSchema::Type::integer:
        out.append("{\"type\":\"integer\"}");
        return;
    case GenerationSchema::Type::array:
        out.append("{\"type\":\"array\",\"items\":");
        appendSchema(out, *schema.items());
        out.append('}');
        return;
    case GenerationSchema::Type::object: {
        out.append("{\"title\":");
        out.append(jsonQuoted(schema.name()));
        out.append(",\"type\":\"object\",\"properties\":{");
        QByteArray required;
        bool first = true;
        for (const auto& property : schema.properties()) {
            if (!first)
                out.append(',');
            first = false;
            out.append(jsonQuoted(property.name));
            out.append(':');
            QByteArray inner;
            appendSchema(inner, *property.schema);
            if (!property.description.isEmpty()) {
                inner.chop(1);
                inner.append(",\"description\":");
                inner.append(jsonQuoted(property.description));
                inner.append('}');
            }
            if (property.optional) {
                out.append("{\"anyOf\":[");
                out.append(inner);
                out.append(",{\"type\":\"null\"}]}");
            } else {
                out.append(inner);
                if (!required.isEmpty())
                    required.append(',');
                required.append(jsonQuoted(property.name));
            }
        }
        out.append("},\"required\":[");
        out.append(required);
        out.append("],\"additionalProperties\":false}");
        return;
    }
    }
}

} // namespace

std::shared_ptr<const GenerationSchema> GenerationSchema::string() {
    auto schema = std::shared_ptr<GenerationSchema>(new GenerationSchema);
    schema->m_type = Type::string;
    return schema;
}

std::shared_ptr<const GenerationSchema> GenerationSchema::integer() {
    auto schema = std::shared_ptr<GenerationSchema>(new GenerationSchema);
    schema->m_type = Type::integer;
    return schema;
}

std::shared_ptr<const GenerationSchema>
GenerationSchema::arrayOf(std::shared_ptr<const GenerationSchema> items) {
    auto schema = std::shared_ptr<GenerationSchema>(new GenerationSchema);
    schema->m_type = Type::array;
    schema->m_items = std::move(items);
    return schema;
}

std::shared_ptr<const GenerationSchema> GenerationSchema::object(QString name, QList<Property> properties) {
    auto schema = std::shared_ptr<GenerationSchema>(new GenerationSchema);
    schema->m_type = Type::object;
    schema->m_name = std::move(name);
    schema->m_properties = std::move(properties);
    return schema;
}

QByteArray GenerationSchema::toJSONSchema() const {
    QByteArray out;
    appendSchema(out, *this);
    return out;
}

bool GenerationSchema::accepts(const QJsonValue& value) const {
    return acceptsAt(value, 0);
}

bool GenerationSchema::acceptsAt(const QJsonValue& value, int depth) const {
    if (depth > maximumDepth)
        return false;
    switch (m_type) {
    case Type::string:
        return value.isString();
    case Type::integer: {
        if (!value.isDouble())
            return false;
        const double number = value.toDouble();
        // Whole numbers that a signed 64-bit integer holds.
        return std::isfinite(number) && std::trunc(number) == number && number >= -9.2233720368547758e18 &&
               number < 9.2233720368547758e18;
    }
    case Type::array: {
        if (!value.isArray())
            return false;
        const QJsonArray array = value.toArray();
        for (const QJsonValue element : array) {
            if (!m_items->acceptsAt(element, depth + 1))
                return false;
        }
        return true;
    }
    case Type::object: {
        if (!value.isObject())
            return false;
        const QJsonObject object = value.toObject();
        for (const auto& property : m_properties) {
            const QJsonValue member = object.value(property.name);
            if (member.isUndefined() || member.isNull()) {
                if (!property.optional)
                    return false;
                continue;
            }
            if (!property.schema->acceptsAt(member, depth + 1))
                return false;
        }
        return true;
    }
    }
    return false;
}

Result<QJsonObject> decodeStrictly(const GenerationSchema& schema, const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return Result<QJsonObject>::failure(
            ErrorKind::decoding, QStringLiteral("The answer is not valid JSON: ") + error.errorString());
    if (!document.isObject() || !schema.accepts(document.object()))
        return Result<QJsonObject>::failure(ErrorKind::decoding,
                                            QStringLiteral("The answer does not have the form of ") +
                                                schema.name() + QStringLiteral("."));
    return document.object();
}

} // namespace quillora
