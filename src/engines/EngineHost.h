#pragma once

#include <QtPlugin>

class ImageEngine;

// What a plugin borrows from the program: the services that exist once per
// process. Plugins link only the stateless base library, so whatever holds
// state (jobs, the image engine already loaded) reaches them through here.
class EngineHost
{
public:
    virtual ~EngineHost() = default;

    // The program's image engine, for plugins that read pictures.
    virtual ImageEngine& imageEngine() = 0;
    // Throws Cancelled when the work running on the calling thread has
    // been cancelled; does nothing when nothing watches it.
    virtual void throwIfCancelled() = 0;
};

// Implemented by every engine plugin: the program attaches its host once,
// right after loading the plugin and before any other call.
class EnginePlugin
{
public:
    virtual ~EnginePlugin() = default;
    virtual void attach(EngineHost& host) = 0;
};

#define FlingdialEnginePlugin_iid "org.flingdial.EnginePlugin/1"
Q_DECLARE_INTERFACE(EnginePlugin, FlingdialEnginePlugin_iid)
