#include "platform/LoginItem.h"

#include "platform/linux/XdgAutostart.h"

std::unique_ptr<LoginItem> LoginItem::create()
{
    return std::make_unique<XdgAutostart>();
}
