#pragma once

#include "platform/Platform.h"
#include "platform/Session.h"

#include <memory>

// The platform backend for a kind of session.
namespace Backends {

std::unique_ptr<Platform> forSession(Session::Kind kind);

} // namespace Backends
