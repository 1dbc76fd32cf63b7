#include "engines/documents/WebArchive.h"

#include "base/Errors.h"
#include "base/FileOps.h"
#include "base/Translate.h"
#include "engines/documents/HtmlText.h"
#include "engines/documents/RichDocument.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <cstdlib>
#include <memory>
#include <plist/plist.h>

namespace WebArchive {

FLINGDIAL_TR_CONTEXT(WebArchive)

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

QByteArray dataValue(plist_t node)
{
    if (!node || plist_get_node_type(node) != PLIST_DATA)
        return {};
    char* raw = nullptr;
    uint64_t length = 0;
    plist_get_data_val(node, &raw, &length);
    const QByteArray data(raw, qsizetype(length));
    std::free(raw);
    return data;
}

QString decodedPage(plist_t main, const QByteArray& page)
{
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

} // namespace

Page read(const QString& path)
{
    const QByteArray bytes = FileOps::readInput(path, RichDocument::inputLimit);
    plist_t root = nullptr;
    plist_from_memory(bytes.constData(), uint32_t(bytes.size()), &root);
    const std::unique_ptr<void, PlistFree> owner(root);
    const Fail unreadable(tr("%1 isn’t a readable web archive.").arg(QFileInfo(path).fileName()));
    if (!root || plist_get_node_type(root) != PLIST_DICT)
        throw unreadable;
    plist_t main = plist_dict_get_item(root, "WebMainResource");
    if (!main || plist_get_node_type(main) != PLIST_DICT)
        throw unreadable;
    plist_t data = plist_dict_get_item(main, "WebResourceData");
    if (!data || plist_get_node_type(data) != PLIST_DATA)
        throw unreadable;
    Page result;
    result.html = decodedPage(main, dataValue(data));
    result.address = QUrl(stringValue(plist_dict_get_item(main, "WebResourceURL")));
    plist_t resources = plist_dict_get_item(root, "WebSubresources");
    if (resources && plist_get_node_type(resources) == PLIST_ARRAY) {
        for (uint32_t i = 0; i < plist_array_get_size(resources); ++i) {
            plist_t resource = plist_array_get_item(resources, i);
            if (!resource || plist_get_node_type(resource) != PLIST_DICT)
                continue;
            const QString address = stringValue(plist_dict_get_item(resource, "WebResourceURL"));
            if (!address.isEmpty())
                result.resources.insert(
                    QUrl(address).toString(),
                    dataValue(plist_dict_get_item(resource, "WebResourceData")));
        }
    }
    return result;
}

} // namespace WebArchive
