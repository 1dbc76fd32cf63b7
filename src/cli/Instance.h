#pragma once

#include <QString>
#include <QVariantList>

// The running tray application of this session, reached over the session
// bus as org.flingdial.Flingdial. It exists once per session: a second
// start hands its work to it.
namespace Instance {

inline constexpr auto service = "org.flingdial.Flingdial";
inline constexpr auto path = "/org/flingdial/Flingdial";
inline constexpr auto interface = "org.flingdial.Flingdial";

// Calls `method` of the running instance and waits for its answer; false
// when no instance answers (none runs, or no session bus), with the reason
// in `why`.
bool call(const QString& method, const QVariantList& arguments = {}, QString* why = nullptr);

} // namespace Instance
