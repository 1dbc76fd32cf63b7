#pragma once

#include <QDBusArgument>
#include <QList>
#include <QMetaType>

// One key sequence as kglobalaccel's second interface sends it: "(ai)",
// its four keys.
struct KGlobalAccelSequence
{
    QList<int> parts;
};

Q_DECLARE_METATYPE(KGlobalAccelSequence)

inline QDBusArgument& operator<<(QDBusArgument& argument, const KGlobalAccelSequence& sequence)
{
    argument.beginStructure();
    argument << sequence.parts;
    argument.endStructure();
    return argument;
}

inline const QDBusArgument& operator>>(const QDBusArgument& argument,
                                       KGlobalAccelSequence& sequence)
{
    argument.beginStructure();
    argument >> sequence.parts;
    argument.endStructure();
    return argument;
}
