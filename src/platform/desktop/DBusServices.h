#pragma once

#include <QString>

// Services on the session bus.
namespace DBusServices {

// Running now, or startable on demand by the bus.
bool isAvailable(const QString& name);

} // namespace DBusServices
