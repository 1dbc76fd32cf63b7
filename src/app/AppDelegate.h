#pragma once

#include <QObject>

// The long-lived application: set up at launch, alive until the user quits.
class AppDelegate : public QObject
{
    Q_OBJECT

public:
    explicit AppDelegate(QObject* parent = nullptr);

    void start();
};
