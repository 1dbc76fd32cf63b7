#include "engines/documents/WebArchive.h"

#include "base/Errors.h"
#include "base/FileOps.h"
#include "engines/documents/HtmlText.h"
#include "engines/documents/RichDocument.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <cstdlib>
#include <memory>
#include <plist/plist.h>

namespace WebArchive {

namespace {

struct PlistFree
{
    void operator()(plist_t node) const { plist_free(node); }
};

QString stringValue(plist_t node)
{
    if (!node || plist_get_node_type(node) != PLIST_STRING)
        return {};
    char* value = nullptr;
    plist_get_string_val(node, &value);
    const QString result = QString::fromUtf8(value);
    std::free(value);
    return result;
}

} // namespace

QString mainHtml(const QString& path)
{
    const QByteArray bytes = FileOps::readInput(path, RichDocument::inputLimit);
    plist_t root = nullptr;
    plist_from_memory(bytes.constData(), uint32_t(bytes.size()), &root);
    const std::unique_ptr<void, PlistFree> owner(root);
    const Fail unreadable(
        QStringLiteral("%1 isn’t a readable web archive.").arg(QFileInfo(path).fileName()));
    if (!root || plist_get_node_type(root) != PLIST_DICT)
        throw unreadable;
    plist_t main = plist_dict_get_item(root, "WebMainResource");
    if (!main || plist_get_node_type(main) != PLIST_DICT)
        throw unreadable;
    plist_t data = plist_dict_get_item(main, "WebResourceData");
    if (!data || plist_get_node_type(data) != PLIST_DATA)
        throw unreadable;
    char* raw = nullptr;
    uint64_t length = 0;
    plist_get_data_val(data, &raw, &length);
    const QByteArray page(raw, qsizetype(length));
    std::free(raw);

    const QString encoding = stringValue(plist_dict_get_item(main, "WebResourceTextEncodingName"));
    if (!encoding.isEmpty()) {
        QStringDecoder decoder(encoding.toLatin1().constData());
        if (decoder.isValid()) {
            const QString text = decoder.decode(page);
            if (!decoder.hasError())
                return text;
        }
    }
    return HtmlText::decode(page);
}

} // namespace WebArchive
