#include "core/SettingKey.h"

namespace SettingKeys {

SettingKey<QString> modifier(WheelMode::Mode mode)
{
    static const char* const names[] = {"modifier.convert", "modifier.tools", "modifier.actions"};
    static const ModifierKey::Key defaults[] = {ModifierKey::shift, ModifierKey::super,
                                                ModifierKey::control};
    return {names[int(mode)], ModifierKey::rawValue(defaults[int(mode)])};
}

ModifierKey::Key modifierKey(const QString& raw)
{
    return ModifierKey::fromRawValue(raw).value_or(ModifierKey::shift);
}

} // namespace SettingKeys
