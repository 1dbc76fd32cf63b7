#pragma once

#include <QString>
#include <QtPlugin>

// An interface for the plugin loader's tests, built in two versions: the
// test program knows version 1, the plugins come in both.
class Greeter
{
public:
    virtual ~Greeter() = default;
    // Says whether the program attached its host before handing it out.
    virtual QString greeting() const = 0;
};

#if GREETER_VERSION == 2
#define Greeter_iid "org.flingdial.test.Greeter/2"
#else
#define Greeter_iid "org.flingdial.test.Greeter/1"
#endif
Q_DECLARE_INTERFACE(Greeter, Greeter_iid)
