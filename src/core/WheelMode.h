#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <optional>

// The three slice sets of the wheel. The declaration order decides which
// mode wins when several trigger keys match, the cycling order and the
// order of the mode dots.
namespace WheelMode {

enum Mode { convert, tools, actions };

const QList<Mode>& all();
QString rawValue(Mode mode);
std::optional<Mode> fromRawValue(const QString& raw);
QString title(Mode mode);
Mode next(Mode mode);

} // namespace WheelMode

Q_DECLARE_METATYPE(WheelMode::Mode)
