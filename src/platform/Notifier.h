#pragma once

#include <QObject>
#include <QStringList>

// Desktop notifications about finished work.
class Notifier : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Whether a notification server is there to show them.
    virtual bool isAvailable() const = 0;
    // Posts a notification; clicking it reports `paths` through activated().
    virtual void post(const QString& title, const QString& body, const QStringList& paths) = 0;

Q_SIGNALS:
    void activated(const QStringList& paths);
};
