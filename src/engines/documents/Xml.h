#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <pugixml.hpp>

// Reading the XML parts of documents with pugixml. Elements and attributes
// are matched by their local name, whatever prefix a writer chose. pugixml
// never reads a DTD or expands an entity of its own, so a part can't pull
// in a local file or grow without bound.
namespace Xml {

// Parses a part; Fail naming `file` when it isn't well-formed. By default
// white space between elements is dropped unless it is an element's only
// text, as in <w:t> </w:t>.
pugi::xml_document parse(const QByteArray& data, const QString& file,
                         unsigned options = pugi::parse_default | pugi::parse_ws_pcdata_single);

// The name without its namespace prefix ("p" for "w:p").
const char* localName(const pugi::xml_node& node);
bool is(const pugi::xml_node& node, const char* name);

// The first child element with this local name (empty node when none).
pugi::xml_node child(const pugi::xml_node& node, const char* name);
// The first descendant along a path of local names.
pugi::xml_node path(pugi::xml_node node, std::initializer_list<const char*> names);

// An attribute by local name.
std::optional<QString> attribute(const pugi::xml_node& node, const char* name);
// An attribute with a prefix that must match too ("r:id" against "id" of
// another namespace).
std::optional<QString> prefixedAttribute(const pugi::xml_node& node, const char* prefix,
                                         const char* name);

QString text(const pugi::xml_node& node);

// Escapes text for element content and attribute values.
QByteArray escaped(const QString& text);

} // namespace Xml
