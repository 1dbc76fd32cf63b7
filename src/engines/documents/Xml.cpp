#include "engines/documents/Xml.h"

#include "base/Errors.h"
#include "base/Translate.h"

#include <QFileInfo>
#include <cstring>

namespace Xml {

FLINGDIAL_TR_CONTEXT(Xml)

pugi::xml_document parse(const QByteArray& data, const QString& file, unsigned options)
{
    pugi::xml_document document;
    // parse_default leaves the doctype out and expands only the five
    // predefined entities and character references.
    const pugi::xml_parse_result result =
        document.load_buffer(data.constData(), size_t(data.size()), options);
    if (!result)
        throw Fail(QCoreApplication::translate("Xml", "%1 is damaged and can’t be read.")
                       .arg(QFileInfo(file).fileName()));
    return document;
}

const char* localName(const pugi::xml_node& node)
{
    const char* name = node.name();
    const char* colon = std::strchr(name, ':');
    return colon ? colon + 1 : name;
}

bool is(const pugi::xml_node& node, const char* name)
{
    return node.type() == pugi::node_element && std::strcmp(localName(node), name) == 0;
}

pugi::xml_node child(const pugi::xml_node& node, const char* name)
{
    for (pugi::xml_node each = node.first_child(); each; each = each.next_sibling()) {
        if (is(each, name))
            return each;
    }
    return {};
}

pugi::xml_node path(pugi::xml_node node, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        node = child(node, name);
        if (!node)
            break;
    }
    return node;
}

std::optional<QString> attribute(const pugi::xml_node& node, const char* name)
{
    for (pugi::xml_attribute each = node.first_attribute(); each; each = each.next_attribute()) {
        const char* full = each.name();
        const char* colon = std::strchr(full, ':');
        if (std::strcmp(colon ? colon + 1 : full, name) == 0)
            return QString::fromUtf8(each.value());
    }
    return std::nullopt;
}

std::optional<QString> prefixedAttribute(const pugi::xml_node& node, const char* prefix,
                                         const char* name)
{
    const QByteArray full = QByteArray(prefix) + ':' + name;
    const pugi::xml_attribute found = node.attribute(full.constData());
    if (!found)
        return std::nullopt;
    return QString::fromUtf8(found.value());
}

QString text(const pugi::xml_node& node)
{
    return QString::fromUtf8(node.text().get());
}

QByteArray escaped(const QString& text)
{
    // Characters XML 1.0 forbids are left out.
    QString allowed;
    allowed.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != '\t' && u != '\n' && u != '\r') || u == 0xfffe || u == 0xffff)
            continue;
        allowed.append(c);
    }
    QByteArray out;
    const QByteArray bytes = allowed.toUtf8();
    out.reserve(bytes.size() + 16);
    for (const char byte : bytes) {
        switch (byte) {
        case '&':
            out.append("&amp;");
            break;
        case '<':
            out.append("&lt;");
            break;
        case '>':
            out.append("&gt;");
            break;
        case '"':
            out.append("&quot;");
            break;
        default:
            out.append(byte);
        }
    }
    return out;
}

} // namespace Xml
